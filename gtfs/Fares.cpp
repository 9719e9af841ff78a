#include "Fares.h"

#include <algorithm>
#include <set>

namespace gtfs {

namespace {

quint64 key(int route, int origin, int destination) {
    return (static_cast<quint64>(route) << 42) | (static_cast<quint64>(origin) << 21) |
           static_cast<quint64>(destination);
}

} // namespace

FareIndex::FareIndex(const Feed& f) : f_(f) {
    if (!f.hasFareRules && f.prices.size() == 1)
        flat_ = f.prices.front();
    for (const FareRule& r : f.rules)
        for (const QString* name : {&r.route, &r.origin, &r.destination})
            if (!name->isEmpty() && !ids_.contains(*name))
                ids_.insert(*name, static_cast<int>(ids_.size()) + 1);
    for (const FareRule& r : f.rules) {
        if (!r.contains.isEmpty())
            containing_.push_back(r);
        else
            rules_[key(id(r.route), id(r.origin), id(r.destination))].push_back(r.fare);
    }
}

int FareIndex::id(const QString& name) const {
    // A name no rule uses can only meet "any"; -1 never matches a key.
    return name.isEmpty() ? 0 : ids_.value(name, -1);
}

FareMatrix FareIndex::forPattern(const Pattern& p) const {
    FareMatrix m;
    m.n = static_cast<int>(p.stops.size());
    m.price.assign(static_cast<size_t>(m.n) * static_cast<size_t>(m.n), -1);
    const QString route = f_.routes[static_cast<size_t>(p.route)].id;
    const int routeIds[2] = {id(route), 0};
    std::vector<int> zones;
    for (int s : p.stops)
        zones.push_back(id(f_.stops[static_cast<size_t>(s)].zone));
    std::vector<int> matched;
    for (int i = 0; i < m.n; ++i) {
        const QString& zi = f_.stops[static_cast<size_t>(p.stops[static_cast<size_t>(i)])].zone;
        const int origins[2] = {zones[static_cast<size_t>(i)], 0};
        std::set<QString> passed{zi};
        for (int j = i + 1; j < m.n; ++j) {
            const QString& zj = f_.stops[static_cast<size_t>(p.stops[static_cast<size_t>(j)])].zone;
            ++m.pairs;
            matched.clear();
            if (flat_ >= 0)
                matched.push_back(flat_);
            const int destinations[2] = {zones[static_cast<size_t>(j)], 0};
            for (int r = 0; r < (routeIds[0] == 0 ? 1 : 2); ++r)
                for (int a = 0; a < (origins[0] == 0 ? 1 : 2); ++a)
                    for (int b = 0; b < (destinations[0] == 0 ? 1 : 2); ++b) {
                        if (routeIds[r] < 0 || origins[a] < 0 || destinations[b] < 0)
                            continue;
                        const auto it = rules_.find(key(routeIds[r], origins[a], destinations[b]));
                        if (it != rules_.end())
                            for (int fare : it->second)
                                matched.push_back(f_.prices[static_cast<size_t>(fare)]);
                    }
            if (!containing_.empty())
                passed.insert(zj);
            for (const FareRule& r : containing_)
                if ((r.route.isEmpty() || r.route == route) &&
                    (r.origin.isEmpty() || r.origin == zi) &&
                    (r.destination.isEmpty() || r.destination == zj) && passed.count(r.contains))
                    matched.push_back(f_.prices[static_cast<size_t>(r.fare)]);
            if (matched.empty())
                continue;
            const auto [lo, hi] = std::minmax_element(matched.begin(), matched.end());
            m.price[static_cast<size_t>(i * m.n + j)] = *lo;
            ++m.covered;
            if (*lo != *hi) {
                ++m.conflicts;
                if (m.conflictExamples.size() < 5)
                    m.conflictExamples << QStringLiteral("%1 → %2: %3/%4")
                                              .arg(f_.passengerName(p.stops[static_cast<size_t>(i)]),
                                                   f_.passengerName(p.stops[static_cast<size_t>(j)]))
                                              .arg(*lo)
                                              .arg(*hi);
            }
        }
    }
    return m;
}

} // namespace gtfs
