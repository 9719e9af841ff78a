#include "Feed.h"

#include "Csv.h"

#include <QStringDecoder>
#include <algorithm>

namespace gtfs {

QString Route::label() const {
    if (!shortName.isEmpty() && !longName.isEmpty())
        return shortName + QLatin1Char(' ') + longName;
    return shortName.isEmpty() ? (longName.isEmpty() ? id : longName) : shortName;
}

QString Feed::passengerName(int stop) const {
    const Stop& s = stops[static_cast<size_t>(stop)];
    if (!s.parent.isEmpty())
        if (const auto it = stopIndex.find(s.parent); it != stopIndex.end()) {
            const QString& station = stops[static_cast<size_t>(*it)].name;
            if (!station.isEmpty())
                return station;
        }
    return s.name;
}

QString LoadError::text() const {
    QString t = file;
    if (line > 0)
        t += QStringLiteral(" line %1").arg(line);
    if (!field.isEmpty())
        t += QStringLiteral(" field %1").arg(field);
    return t + QStringLiteral(": ") + message;
}

QString normaliseLanguage(const QString& tag) {
    const QString t = tag.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (t == QLatin1String("ja-hrkt"))
        return QStringLiteral("ja-Hrkt");
    if (t.startsWith(QLatin1String("zh"))) {
        if (t.contains(QLatin1String("hant")) || t.endsWith(QLatin1String("-tw")) ||
            t.endsWith(QLatin1String("-hk")) || t.endsWith(QLatin1String("-mo")))
            return QStringLiteral("zh-Hant");
        return QStringLiteral("zh-Hans");
    }
    return t.section(QLatin1Char('-'), 0, 0);
}

QString toKatakana(const QString& reading) {
    // Half-width katakana become full width; hiragana become katakana.
    QString s = reading.normalized(QString::NormalizationForm_KC).trimmed();
    for (QChar& c : s)
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(static_cast<char16_t>(c.unicode() + 0x60));
    return s;
}

namespace {

// One table of the feed: its header and its records, decoded from UTF-8 once.
struct Table {
    QString name;
    QString text;
};

std::variant<Table, LoadError> table(const FeedFiles& files, const QStringList& names,
                                     bool required) {
    for (const QString& n : names) {
        if (!files.has(n))
            continue;
        QString error;
        const auto bytes = files.read(n, &error);
        if (!bytes)
            return LoadError{n, 0, {}, error};
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8(*bytes);
        if (utf8.hasError())
            return LoadError{n, 0, {}, QStringLiteral("not UTF-8 text")};
        return Table{n, std::move(text)};
    }
    if (required)
        return LoadError{names.front(), 0, {}, QStringLiteral("missing from the feed")};
    return Table{};
}

// Calls `row` for every record after the header; checks the required columns first.
std::optional<LoadError> rows(const Table& t, const QStringList& required,
                              const std::function<std::optional<LoadError>(
                                  const csv::Header&, int, const QStringList&)>& row) {
    if (t.text.isEmpty())
        return std::nullopt;
    std::optional<csv::Header> header;
    std::optional<LoadError> failed;
    csv::forEachRecord(t.text, [&](int line, const QStringList& fields) {
        if (!header) {
            header.emplace(fields);
            for (const QString& c : required)
                if (!header->has(c)) {
                    failed = LoadError{t.name, line, c, QStringLiteral("no such column")};
                    return false;
                }
            return true;
        }
        failed = row(*header, line, fields);
        return !failed;
    });
    return failed;
}

#define TABLE(var, names, required)                                                          \
    auto var##Read = table(files, names, required);                                          \
    if (auto* e = std::get_if<LoadError>(&var##Read))                                        \
        return *e;                                                                           \
    const Table& var = std::get<Table>(var##Read);

std::optional<LoadError> readStops(const FeedFiles& files, Feed& f) {
    TABLE(t, QStringList{QStringLiteral("stops.txt")}, true)
    return rows(t, {QStringLiteral("stop_id"), QStringLiteral("stop_name")},
                [&f, &t](const csv::Header& h, int line, const QStringList& r)
                    -> std::optional<LoadError> {
                    Stop s;
                    s.id = csv::field(r, h.column(QStringLiteral("stop_id")));
                    if (s.id.isEmpty())
                        return LoadError{t.name, line, QStringLiteral("stop_id"),
                                         QStringLiteral("empty")};
                    s.name = csv::field(r, h.column(QStringLiteral("stop_name")));
                    s.zone = csv::field(r, h.column(QStringLiteral("zone_id")));
                    s.parent = csv::field(r, h.column(QStringLiteral("parent_station")));
                    s.locationType = csv::field(r, h.column(QStringLiteral("location_type"))).toInt();
                    f.stopIndex.insert(s.id, static_cast<int>(f.stops.size()));
                    f.stops.push_back(std::move(s));
                    return std::nullopt;
                });
}

std::optional<LoadError> readRoutes(const FeedFiles& files, Feed& f) {
    TABLE(t, QStringList{QStringLiteral("routes.txt")}, true)
    return rows(t, {QStringLiteral("route_id")},
                [&f](const csv::Header& h, int, const QStringList& r) -> std::optional<LoadError> {
                    Route x;
                    x.id = csv::field(r, h.column(QStringLiteral("route_id")));
                    x.agencyId = csv::field(r, h.column(QStringLiteral("agency_id")));
                    x.shortName = csv::field(r, h.column(QStringLiteral("route_short_name")));
                    x.longName = csv::field(r, h.column(QStringLiteral("route_long_name")));
                    f.routeIndex.insert(x.id, static_cast<int>(f.routes.size()));
                    f.routes.push_back(std::move(x));
                    return std::nullopt;
                });
}

std::optional<LoadError> readTrips(const FeedFiles& files, Feed& f, QHash<QString, int>& tripIndex) {
    TABLE(t, QStringList{QStringLiteral("trips.txt")}, true)
    return rows(t, {QStringLiteral("route_id"), QStringLiteral("trip_id")},
                [&](const csv::Header& h, int line, const QStringList& r) -> std::optional<LoadError> {
                    Trip x;
                    x.id = csv::field(r, h.column(QStringLiteral("trip_id")));
                    x.routeId = csv::field(r, h.column(QStringLiteral("route_id")));
                    if (!f.routeIndex.contains(x.routeId))
                        return LoadError{t.name, line, QStringLiteral("route_id"),
                                         QStringLiteral("no route \"%1\" in routes.txt").arg(x.routeId)};
                    x.headsign = csv::field(r, h.column(QStringLiteral("trip_headsign")));
                    const QString d = csv::field(r, h.column(QStringLiteral("direction_id")));
                    x.direction = d.isEmpty() ? -1 : d.toInt();
                    tripIndex.insert(x.id, static_cast<int>(f.trips.size()));
                    f.trips.push_back(std::move(x));
                    return std::nullopt;
                });
}

std::optional<LoadError> readStopTimes(const FeedFiles& files, Feed& f,
                                       const QHash<QString, int>& tripIndex) {
    TABLE(t, QStringList{QStringLiteral("stop_times.txt")}, true)
    // (sequence, stop) per trip, put in order at the end.
    std::vector<std::vector<std::pair<int, int>>> seq(f.trips.size());
    int tripCol = -1, stopCol = -1, seqCol = -1;
    const auto e = rows(
        t, {QStringLiteral("trip_id"), QStringLiteral("stop_id"), QStringLiteral("stop_sequence")},
        [&](const csv::Header& h, int line, const QStringList& r) -> std::optional<LoadError> {
            if (tripCol < 0) {
                tripCol = h.column(QStringLiteral("trip_id"));
                stopCol = h.column(QStringLiteral("stop_id"));
                seqCol = h.column(QStringLiteral("stop_sequence"));
            }
            const auto trip = tripIndex.find(csv::field(r, tripCol));
            if (trip == tripIndex.end())
                return std::nullopt; // a trip the feed does not run: ignored
            const QString stopId = csv::field(r, stopCol);
            const auto stop = f.stopIndex.find(stopId);
            if (stop == f.stopIndex.end())
                return LoadError{t.name, line, QStringLiteral("stop_id"),
                                 QStringLiteral("no stop \"%1\" in stops.txt").arg(stopId)};
            bool ok = false;
            const int s = csv::field(r, seqCol).toInt(&ok);
            if (!ok)
                return LoadError{t.name, line, QStringLiteral("stop_sequence"),
                                 QStringLiteral("not a whole number")};
            seq[static_cast<size_t>(*trip)].emplace_back(s, *stop);
            return std::nullopt;
        });
    if (e)
        return e;
    for (size_t i = 0; i < seq.size(); ++i) {
        std::stable_sort(seq[i].begin(), seq[i].end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [s, stop] : seq[i])
            f.trips[i].stops.push_back(stop);
    }
    return std::nullopt;
}

std::optional<LoadError> readFares(const FeedFiles& files, Feed& f) {
    TABLE(a, (QStringList{QStringLiteral("fare_attributes.txt"), QStringLiteral("fare_attribute.txt")}), false)
    QHash<QString, int> fareIndex;
    f.hasFareAttributes = !a.text.isEmpty();
    if (auto e = rows(a, {QStringLiteral("fare_id"), QStringLiteral("price")},
                      [&](const csv::Header& h, int line, const QStringList& r) -> std::optional<LoadError> {
                          const QString id = csv::field(r, h.column(QStringLiteral("fare_id")));
                          bool ok = false;
                          const double price = csv::field(r, h.column(QStringLiteral("price"))).toDouble(&ok);
                          if (!ok || price < 0)
                              return LoadError{a.name, line, QStringLiteral("price"),
                                               QStringLiteral("not a price")};
                          fareIndex.insert(id, static_cast<int>(f.prices.size()));
                          f.prices.push_back(static_cast<int>(std::lround(price)));
                          f.fareIds << id;
                          return std::nullopt;
                      }))
        return e;
    TABLE(r, (QStringList{QStringLiteral("fare_rules.txt"), QStringLiteral("fare_rule.txt")}), false)
    f.hasFareRules = !r.text.isEmpty();
    return rows(r, {QStringLiteral("fare_id")},
                [&](const csv::Header& h, int line, const QStringList& x) -> std::optional<LoadError> {
                    const QString id = csv::field(x, h.column(QStringLiteral("fare_id")));
                    const auto it = fareIndex.find(id);
                    if (it == fareIndex.end())
                        return LoadError{r.name, line, QStringLiteral("fare_id"),
                                         QStringLiteral("no fare \"%1\" in fare_attributes.txt").arg(id)};
                    f.rules.push_back({*it, csv::field(x, h.column(QStringLiteral("route_id"))),
                                       csv::field(x, h.column(QStringLiteral("origin_id"))),
                                       csv::field(x, h.column(QStringLiteral("destination_id"))),
                                       csv::field(x, h.column(QStringLiteral("contains_id")))});
                    return std::nullopt;
                });
}

void addTranslation(Feed& f, const QString& text, const QString& lang, const QString& value) {
    if (text.isEmpty() || value.isEmpty())
        return;
    const QString tag = normaliseLanguage(lang);
    if (tag == QLatin1String("ja"))
        return; // the written form itself
    f.translations[text][tag] = tag == QLatin1String("ja-Hrkt") ? toKatakana(value) : value;
}

std::optional<LoadError> readTranslations(const FeedFiles& files, Feed& f) {
    TABLE(t, (QStringList{QStringLiteral("translations.txt"), QStringLiteral("translation.txt")}), false)
    return rows(t, {}, [&f](const csv::Header& h, int, const QStringList& r) -> std::optional<LoadError> {
        if (h.has(QStringLiteral("trans_id"))) { // the old layout: keyed by the text itself
            addTranslation(f, csv::field(r, h.column(QStringLiteral("trans_id"))),
                           csv::field(r, h.column(QStringLiteral("lang"))),
                           csv::field(r, h.column(QStringLiteral("translation"))));
            return std::nullopt;
        }
        if (csv::field(r, h.column(QStringLiteral("table_name"))) != QLatin1String("stops") ||
            csv::field(r, h.column(QStringLiteral("field_name"))) != QLatin1String("stop_name"))
            return std::nullopt;
        QString text = csv::field(r, h.column(QStringLiteral("field_value")));
        const QString id = csv::field(r, h.column(QStringLiteral("record_id")));
        if (text.isEmpty() && f.stopIndex.contains(id))
            text = f.stops[static_cast<size_t>(f.stopIndex.value(id))].name;
        addTranslation(f, text, csv::field(r, h.column(QStringLiteral("language"))),
                       csv::field(r, h.column(QStringLiteral("translation"))));
        return std::nullopt;
    });
}

#undef TABLE

} // namespace

std::variant<Feed, LoadError> loadFeed(const FeedFiles& files) {
    Feed f;
    QHash<QString, int> tripIndex;
    if (files.has(QStringLiteral("agency.txt"))) {
        if (const auto bytes = files.read(QStringLiteral("agency.txt"))) {
            const auto recs = csv::records(QString::fromUtf8(*bytes));
            if (recs.size() >= 2) {
                const csv::Header h(recs[0].second);
                f.agency = csv::field(recs[1].second, h.column(QStringLiteral("agency_name")));
            }
        }
    }
    for (const auto& step : {readStops, readRoutes})
        if (auto e = step(files, f))
            return *e;
    if (auto e = readTrips(files, f, tripIndex))
        return *e;
    if (auto e = readStopTimes(files, f, tripIndex))
        return *e;
    if (auto e = readFares(files, f))
        return *e;
    if (auto e = readTranslations(files, f))
        return *e;
    return f;
}

} // namespace gtfs
