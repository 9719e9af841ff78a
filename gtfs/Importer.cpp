#include "Importer.h"

#include "Cp932.h"
#include "Csv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

namespace gtfs {

namespace {

const QString kRoutesFile = QStringLiteral("gtfs-routes.csv");

QString csvField(const QString& s) {
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) &&
        !s.contains(QLatin1Char('\n')))
        return s;
    return QLatin1Char('"') + QString(s).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    if (b.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(b.mid(3));
    return cp932::isValid(std::string_view(b.constData(), static_cast<size_t>(b.size())))
               ? cp932::decode(std::string_view(b.constData(), static_cast<size_t>(b.size())))
               : QString::fromUtf8(b);
}

// The numbers this folder's table already gives to patterns, by their keys.
std::map<QString, int> knownNumbers(const QString& folder) {
    std::map<QString, int> out;
    const QString text = readText(QDir(folder).filePath(kRoutesFile));
    std::optional<csv::Header> h;
    csv::forEachRecord(text, [&](int, const QStringList& r) {
        if (!h) {
            h.emplace(r);
            return true;
        }
        const int n = csv::field(r, h->column(QStringLiteral("number"))).toInt();
        const QString key = csv::field(r, h->column(QStringLiteral("route_id"))) + QLatin1Char('|') +
                            csv::field(r, h->column(QStringLiteral("direction"))) + QLatin1Char('|') +
                            csv::field(r, h->column(QStringLiteral("stop_ids")));
        if (n > 0)
            out[key] = n;
        return true;
    });
    return out;
}

QSet<int> numbersInFolder(const QString& folder) {
    QSet<int> out;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.hy3")}, QDir::Files)) {
        bool ok = false;
        const int n = QFileInfo(name).completeBaseName().toInt(&ok);
        if (ok)
            out.insert(n);
    }
    return out;
}

} // namespace

int numberFor(const QString& key, const QSet<int>& taken) {
    const QByteArray h = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1);
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<quint8>(h[i]);
    int n = 10000 + static_cast<int>(v % 90000);
    while (taken.contains(n))
        n = n == 99999 ? 10000 : n + 1;
    return n;
}

std::variant<std::unique_ptr<OpenFeed>, QString> OpenFeed::open(const QString& path) {
    QString error;
    const auto files = FeedFiles::open(path, &error);
    if (!files)
        return error;
    auto loaded = loadFeed(*files);
    if (auto* e = std::get_if<LoadError>(&loaded))
        return QStringLiteral("%1: %2").arg(path, e->text());
    auto o = std::unique_ptr<OpenFeed>(new OpenFeed);
    o->path_ = path;
    o->feed_ = std::move(std::get<Feed>(loaded));
    o->patterns_ = findPatterns(o->feed_);
    o->fares_ = std::make_unique<FareIndex>(o->feed_);
    return o;
}

Listing OpenFeed::list(const QString& folder) const {
    Listing l;
    l.agency = feed_.agency;
    const std::map<QString, int> known = knownNumbers(folder);
    QSet<int> taken = numbersInFolder(folder);
    for (const auto& [key, n] : known)
        taken.insert(n);
    for (const Pattern& p : patterns_) {
        PatternInfo info;
        info.pattern = p;
        const QString key = p.key(feed_);
        const auto k = known.find(key);
        info.number = k != known.end() ? k->second : numberFor(key, taken);
        taken.insert(info.number);
        info.route = feed_.routes[static_cast<size_t>(p.route)].label();
        info.headsign = p.headsign;
        info.first = feed_.passengerName(p.stops.front());
        info.last = feed_.passengerName(p.stops.back());
        info.stops = static_cast<int>(p.stops.size());
        const FareMatrix m = fares_->forPattern(p);
        info.tickets = groupTickets(m).back();
        info.coverage = m.coveragePercent();
        info.conflicts = m.conflicts;
        l.patterns.push_back(std::move(info));
    }
    return l;
}

namespace {

// Which patterns of the listing an import takes.
std::vector<int> chosenPatterns(const Feed& f, const Listing& l, const ImportRequest& r) {
    if (!r.chosen.empty())
        return r.chosen;
    std::vector<int> out;
    for (size_t i = 0; i < l.patterns.size(); ++i) {
        const PatternInfo& p = l.patterns[i];
        const Route& route = f.routes[static_cast<size_t>(p.pattern.route)];
        const bool named =
            r.routes.isEmpty() ||
            std::any_of(r.routes.begin(), r.routes.end(), [&](const QString& w) {
                return w == route.id || w == route.shortName || w == route.longName ||
                       w == route.label();
            });
        if (named && (r.allPatterns || p.pattern.main))
            out.push_back(static_cast<int>(i));
    }
    return out;
}

struct Staged {
    std::map<QString, QByteArray> files; // name in the folder -> contents
};

QByteArray withBom(const QString& text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

// yomi.csv: what is there stays (a person's corrections win); the feed's readings of the
// imported stops are added.
QByteArray mergedReadings(const QString& folder, const std::map<QString, QString>& readings) {
    QString text = readText(QDir(folder).filePath(QStringLiteral("yomi.csv")));
    QSet<QString> have;
    csv::forEachRecord(text, [&have](int, const QStringList& r) {
        have.insert(csv::field(r, 0));
        return true;
    });
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QStringLiteral("\r\n");
    for (const auto& [written, reading] : readings)
        if (!have.contains(written))
            text += csvField(written) + QLatin1Char(',') + csvField(reading) + QStringLiteral("\r\n");
    return withBom(text);
}

// names.csv: the written form, then every language the feed translates it into.
QByteArray mergedNames(const QString& folder, const Feed& f, const QSet<QString>& names) {
    std::map<QString, QMap<QString, QString>> rows;
    QStringList languages;
    const QString old = readText(QDir(folder).filePath(QStringLiteral("names.csv")));
    QStringList header;
    csv::forEachRecord(old, [&](int, const QStringList& r) {
        if (header.isEmpty()) {
            header = r;
            return true;
        }
        for (int i = 1; i < r.size() && i < header.size(); ++i)
            if (!r[i].isEmpty())
                rows[r[0]][header[i].trimmed()] = r[i];
        return true;
    });
    for (const QString& n : names)
        if (const auto it = f.translations.find(n); it != f.translations.end())
            for (auto l = it->begin(); l != it->end(); ++l)
                rows[n][l.key()] = l.value();
    for (const auto& [name, langs] : rows)
        for (auto l = langs.begin(); l != langs.end(); ++l)
            if (!languages.contains(l.key()))
                languages << l.key();
    languages.sort();
    QString text = QStringLiteral("ja");
    for (const QString& l : languages)
        text += QLatin1Char(',') + l;
    text += QStringLiteral("\r\n");
    for (const auto& [name, langs] : rows) {
        text += csvField(name);
        for (const QString& l : languages)
            text += QLatin1Char(',') + csvField(langs.value(l));
        text += QStringLiteral("\r\n");
    }
    return withBom(text);
}

QByteArray mergedRoutes(const QString& folder, const QStringList& newRows, const QSet<int>& numbers) {
    const QString head = QStringLiteral(
        "number,route_id,direction,route,headsign,first_stop,last_stop,stops,tickets,trips,"
        "fare_coverage,conflicts,stop_ids");
    QStringList lines{head};
    std::optional<csv::Header> h;
    QStringList kept;
    csv::forEachRecord(readText(QDir(folder).filePath(kRoutesFile)), [&](int, const QStringList& r) {
        if (!h) {
            h.emplace(r);
            return true;
        }
        if (!numbers.contains(csv::field(r, h->column(QStringLiteral("number"))).toInt())) {
            QStringList q;
            for (const QString& x : r)
                q << csvField(x);
            kept << q.join(QLatin1Char(','));
        }
        return true;
    });
    lines << kept << newRows;
    return withBom(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// Puts every staged file in place, or none: what a file replaces is kept aside until all
// are in, and put back if one cannot be.
QString commit(const QString& folder, const Staged& staged) {
    QTemporaryDir stage(QDir(folder).filePath(QStringLiteral(".gtfs-import-XXXXXX")));
    if (!stage.isValid())
        return QStringLiteral("%1 cannot be written: %2").arg(folder, stage.errorString());
    for (const auto& [name, bytes] : staged.files) {
        QFile f(stage.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
            return QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    }
    QDir().mkpath(stage.filePath(QStringLiteral("old")));
    std::vector<std::pair<QString, bool>> done; // name, whether an old file was kept aside
    auto path = [](const QString& dir, const QString& name) {
        return QFile::encodeName(QDir(dir).filePath(name));
    };
    QString failure;
    for (const auto& [name, bytes] : staged.files) {
        const QFileInfo target(QDir(folder).filePath(name));
        const bool had = target.exists();
        // Only a file of ours is ever replaced, never a folder or anything else.
        if (had && (!target.isFile() || target.isSymLink())) {
            failure = QStringLiteral("%1 is in the way (not a plain file)").arg(target.filePath());
            break;
        }
        if (had && std::rename(path(folder, name).constData(),
                               path(stage.filePath(QStringLiteral("old")), name).constData()) != 0) {
            failure = QStringLiteral("%1 cannot be replaced").arg(QDir(folder).filePath(name));
            break;
        }
        if (std::rename(path(stage.path(), name).constData(), path(folder, name).constData()) != 0) {
            if (had)
                std::rename(path(stage.filePath(QStringLiteral("old")), name).constData(),
                            path(folder, name).constData());
            failure = QStringLiteral("%1 cannot be written").arg(QDir(folder).filePath(name));
            break;
        }
        done.emplace_back(name, had);
    }
    if (failure.isEmpty())
        return {};
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        QFile::remove(QDir(folder).filePath(it->first));
        if (it->second)
            std::rename(path(stage.filePath(QStringLiteral("old")), it->first).constData(),
                        path(folder, it->first).constData());
    }
    return failure;
}

} // namespace

ImportReport importPatterns(const OpenFeed& feed, const ImportRequest& r) {
    ImportReport report;
    report.folder = r.folder;
    if (!QFileInfo(r.folder).isDir()) {
        report.error = QStringLiteral("%1 is not a folder").arg(r.folder);
        return report;
    }
    const Feed& f = feed.feed();
    const Listing listing = feed.list(r.folder);
    const std::vector<int> chosen = chosenPatterns(f, listing, r);
    if (chosen.empty()) {
        report.error = QStringLiteral("no route of the feed matches");
        return report;
    }
    Staged staged;
    std::map<QString, QString> readings;
    QSet<QString> names;
    QStringList routeRows;
    QSet<int> numbers;
    int done = 0;
    for (int index : chosen) {
        if (r.cancelled && r.cancelled()) {
            report.error = QStringLiteral("cancelled");
            report.patterns.clear();
            return report;
        }
        const PatternInfo& info = listing.patterns[static_cast<size_t>(index)];
        const Pattern& p = info.pattern;
        PatternReport pr;
        pr.number = info.number;
        pr.route = info.route;
        pr.first = info.first;
        pr.last = info.last;
        pr.stops = info.stops;
        if (info.tooLong()) {
            pr.refused = true;
            report.patterns.push_back(pr);
            continue;
        }
        const FareMatrix m = feed.fares().forPattern(p);
        const BoardData b = makeBoard(f, p, m);
        pr.tickets = b.tickets;
        pr.coverage = m.coveragePercent();
        pr.conflicts = m.conflicts;
        pr.conflictExamples = m.conflictExamples;
        pr.over999 = b.over999;
        pr.replaced = b.replaced;
        for (int s : p.stops) {
            const QString name = f.passengerName(s);
            names.insert(name);
            const auto t = f.translations.find(name);
            const QString reading = t == f.translations.end() ? QString() : t->value(QStringLiteral("ja-Hrkt"));
            if (!reading.isEmpty())
                readings[name] = reading;
            else if (!pr.withoutReading.contains(name))
                pr.withoutReading << name;
        }
        const QString n = QString::number(info.number);
        staged.files[n + QStringLiteral(".hy3")] = QByteArray::fromStdString(hy3::write(b.fares));
        staged.files[n + QStringLiteral("tp.csv")] = b.broadcast;
        const Route& route = f.routes[static_cast<size_t>(p.route)];
        routeRows << QStringList{n, csvField(route.id), QString::number(p.direction), csvField(info.route),
                                 csvField(p.headsign), csvField(info.first), csvField(info.last),
                                 QString::number(info.stops), QString::number(b.tickets),
                                 QString::number(p.trips), QString::number(pr.coverage),
                                 QString::number(pr.conflicts), csvField(p.stopIds(f))}
                         .join(QLatin1Char(','));
        numbers.insert(info.number);
        report.patterns.push_back(pr);
        if (r.progress)
            r.progress(++done, static_cast<int>(chosen.size()));
    }
    if (numbers.isEmpty()) {
        report.error = QStringLiteral("every chosen pattern has more than %1 stops").arg(limits::kRouteRows);
        return report;
    }
    staged.files[QStringLiteral("yomi.csv")] = mergedReadings(r.folder, readings);
    staged.files[QStringLiteral("names.csv")] = mergedNames(r.folder, f, names);
    staged.files[kRoutesFile] = mergedRoutes(r.folder, routeRows, numbers);
    if (r.cancelled && r.cancelled()) {
        report.error = QStringLiteral("cancelled");
        report.patterns.clear();
        return report;
    }
    report.error = commit(r.folder, staged);
    return report;
}

QString ImportReport::text() const {
    QStringList out;
    if (!ok())
        out << QStringLiteral("import failed: %1").arg(error);
    for (const PatternReport& p : patterns) {
        if (p.refused) {
            out << QStringLiteral("%1 %2 (%3 → %4): %5 stops, more than a fare data file holds; "
                                  "not imported")
                       .arg(p.number)
                       .arg(p.route, p.first, p.last)
                       .arg(p.stops);
            continue;
        }
        out << QStringLiteral("%1 %2 (%3 → %4): %5 stops, %6 tickets, fares for %7 % of pairs")
                   .arg(p.number)
                   .arg(p.route, p.first, p.last)
                   .arg(p.stops)
                   .arg(p.tickets)
                   .arg(p.coverage);
        if (p.conflicts > 0)
            out << QStringLiteral("    %1 pairs with different prices (the cheapest is used): %2")
                       .arg(p.conflicts)
                       .arg(p.conflictExamples.join(QStringLiteral(", ")));
        if (p.over999 > 0)
            out << QStringLiteral("    %1 fares over 999 yen (the cells have three digits)").arg(p.over999);
        if (p.tickets > 32)
            out << QStringLiteral("    %1 ticket numbers: the board shows 32 (columns up to 150 are written)")
                       .arg(p.tickets);
        if (!p.replaced.isEmpty())
            out << QStringLiteral("    characters Shift-JIS lacks, written as 〓: %1")
                       .arg(p.replaced.join(QLatin1Char(' ')));
        if (!p.withoutReading.isEmpty())
            out << QStringLiteral("    stops without a reading: %1").arg(p.withoutReading.join(QStringLiteral("、")));
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString ImportReport::textJa() const {
    QStringList out;
    for (const PatternReport& p : patterns) {
        const QString head = QStringLiteral("%1　%2（%3 → %4）").arg(p.number).arg(p.route, p.first, p.last);
        if (p.refused) {
            out << head + QStringLiteral("：停留所が %1 か所あり、運賃データに収まらないため取り込みませんでした")
                              .arg(p.stops);
            continue;
        }
        out << head + QStringLiteral("：停留所 %1、整理券 %2、運賃のある区間 %3 %")
                          .arg(p.stops)
                          .arg(p.tickets)
                          .arg(p.coverage);
        if (p.conflicts > 0)
            out << QStringLiteral("　　運賃が二通りある区間 %1（安い方を使用）：%2")
                       .arg(p.conflicts)
                       .arg(p.conflictExamples.join(QStringLiteral("、")));
        if (p.over999 > 0)
            out << QStringLiteral("　　999円を超える運賃 %1（表示は3桁まで）").arg(p.over999);
        if (p.tickets > 32)
            out << QStringLiteral("　　整理券番号が %1 まであります（表示は32まで、データは150列まで書き込み）")
                       .arg(p.tickets);
        if (!p.replaced.isEmpty())
            out << QStringLiteral("　　Shift-JIS にない文字を〓にしました：%1").arg(p.replaced.join(QLatin1Char(' ')));
        if (!p.withoutReading.isEmpty())
            out << QStringLiteral("　　読みのない停留所：%1").arg(p.withoutReading.join(QStringLiteral("、")));
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject ImportReport::json() const {
    QJsonArray list;
    for (const PatternReport& p : patterns)
        list.append(QJsonObject{{QStringLiteral("number"), p.number},
                                {QStringLiteral("route"), p.route},
                                {QStringLiteral("first"), p.first},
                                {QStringLiteral("last"), p.last},
                                {QStringLiteral("stops"), p.stops},
                                {QStringLiteral("tickets"), p.tickets},
                                {QStringLiteral("coverage"), p.coverage},
                                {QStringLiteral("conflicts"), p.conflicts},
                                {QStringLiteral("over999"), p.over999},
                                {QStringLiteral("refused"), p.refused},
                                {QStringLiteral("replaced"), QJsonArray::fromStringList(p.replaced)},
                                {QStringLiteral("withoutReading"),
                                 QJsonArray::fromStringList(p.withoutReading)}});
    QJsonObject o{{QStringLiteral("ok"), ok()}, {QStringLiteral("folder"), folder},
                  {QStringLiteral("patterns"), list}};
    if (!ok())
        o[QStringLiteral("error")] = error;
    return o;
}

} // namespace gtfs
