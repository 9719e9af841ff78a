#include "Patterns.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace gtfs {

QString Pattern::stopIds(const Feed& f) const {
    QStringList ids;
    for (int s : stops)
        ids << f.stops[static_cast<size_t>(s)].id;
    return ids.join(QLatin1Char(' '));
}

QString Pattern::key(const Feed& f) const {
    return f.routes[static_cast<size_t>(route)].id + QLatin1Char('|') +
           QString::number(direction) + QLatin1Char('|') + stopIds(f);
}

std::vector<Pattern> findPatterns(const Feed& f) {
    struct Found {
        Pattern p;
        std::map<QString, int> headsigns;
    };
    std::vector<Found> found;
    std::map<std::tuple<int, int, std::vector<int>>, size_t> index;
    for (const Trip& t : f.trips) {
        if (t.stops.size() < 2)
            continue;
        const int route = f.routeIndex.value(t.routeId);
        const auto k = std::make_tuple(route, t.direction, t.stops);
        auto it = index.find(k);
        if (it == index.end()) {
            it = index.emplace(k, found.size()).first;
            Found n;
            n.p.route = route;
            n.p.direction = t.direction;
            n.p.stops = t.stops;
            found.push_back(std::move(n));
        }
        Found& x = found[it->second];
        ++x.p.trips;
        ++x.headsigns[t.headsign];
    }
    std::vector<Pattern> out;
    for (Found& x : found) {
        const auto best = std::max_element(
            x.headsigns.begin(), x.headsigns.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
        x.p.headsign = best == x.headsigns.end() ? QString() : best->first;
        out.push_back(std::move(x.p));
    }
    std::stable_sort(out.begin(), out.end(), [](const Pattern& a, const Pattern& b) {
        if (a.route != b.route)
            return a.route < b.route;
        if (a.direction != b.direction)
            return a.direction < b.direction;
        if (a.trips != b.trips)
            return a.trips > b.trips;
        return a.stops.size() > b.stops.size();
    });
    for (size_t i = 0; i < out.size(); ++i)
        out[i].main = i == 0 || out[i].route != out[i - 1].route ||
                      out[i].direction != out[i - 1].direction;
    return out;
}

} // namespace gtfs
