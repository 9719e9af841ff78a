#include "GtfsVerbs.h"

#include "Importer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

const char* const kGtfsHelp =
    "  hy3 gtfs list FEED [-o DIR] [--json]\n"
    "  hy3 gtfs import FEED -o DIR [--route ID_OR_NAME]... [--all-patterns] [--json]\n";

namespace {

int fail(const QString& why) {
    std::fprintf(stderr, "hy3 gtfs: %s\n", qPrintable(why));
    return 2;
}

void print(const QJsonObject& o) {
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
}

int list(const gtfs::OpenFeed& feed, const QString& folder, bool json) {
    const gtfs::Listing l = feed.list(folder);
    if (json) {
        QJsonArray patterns;
        for (const gtfs::PatternInfo& p : l.patterns)
            patterns.append(QJsonObject{
                {QStringLiteral("number"), p.number},
                {QStringLiteral("route_id"), feed.feed().routes[static_cast<size_t>(p.pattern.route)].id},
                {QStringLiteral("route"), p.route},
                {QStringLiteral("direction"), p.pattern.direction},
                {QStringLiteral("headsign"), p.headsign},
                {QStringLiteral("first"), p.first},
                {QStringLiteral("last"), p.last},
                {QStringLiteral("stops"), p.stops},
                {QStringLiteral("tickets"), p.tickets},
                {QStringLiteral("trips"), p.pattern.trips},
                {QStringLiteral("coverage"), p.coverage},
                {QStringLiteral("conflicts"), p.conflicts},
                {QStringLiteral("main"), p.pattern.main}});
        print({{QStringLiteral("agency"), l.agency}, {QStringLiteral("patterns"), patterns}});
        return 0;
    }
    std::printf("%s\n", qPrintable(l.agency));
    for (const gtfs::PatternInfo& p : l.patterns)
        std::printf("%5d %s %s%s → %s  %d stops, %d tickets, %d trips, fares %d %%%s\n", p.number,
                    qPrintable(p.route), p.pattern.main ? "" : "(other pattern) ",
                    qPrintable(p.first), qPrintable(p.last), p.stops, p.tickets, p.pattern.trips,
                    p.coverage,
                    p.conflicts ? qPrintable(QStringLiteral(", %1 conflicts").arg(p.conflicts)) : "");
    return 0;
}

} // namespace

int runGtfs(const QStringList& args) {
    QString verb, feedPath, folder;
    gtfs::ImportRequest request;
    bool json = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("-o") && i + 1 < args.size())
            folder = args[++i];
        else if (a == QLatin1String("--route") && i + 1 < args.size())
            request.routes << args[++i];
        else if (a == QLatin1String("--all-patterns"))
            request.allPatterns = true;
        else if (a == QLatin1String("--json"))
            json = true;
        else if (a.startsWith(QLatin1Char('-')))
            return fail(QStringLiteral("unknown option %1").arg(a));
        else if (verb.isEmpty())
            verb = a;
        else if (feedPath.isEmpty())
            feedPath = a;
        else
            return fail(QStringLiteral("one feed at a time"));
    }
    if ((verb != QLatin1String("list") && verb != QLatin1String("import")) || feedPath.isEmpty())
        return fail(QStringLiteral("usage:\n") + QString::fromUtf8(kGtfsHelp));
    if (verb == QLatin1String("import") && folder.isEmpty())
        return fail(QStringLiteral("import needs -o DIR, the fare data folder"));
    auto opened = gtfs::OpenFeed::open(feedPath);
    if (auto* e = std::get_if<QString>(&opened))
        return fail(*e);
    const auto& feed = *std::get<std::unique_ptr<gtfs::OpenFeed>>(opened);
    if (verb == QLatin1String("list"))
        return list(feed, folder.isEmpty() ? QStringLiteral(".") : folder, json);
    request.folder = folder;
    const gtfs::ImportReport report = gtfs::importPatterns(feed, request);
    if (json)
        print(report.json());
    else
        std::fputs(report.text().toUtf8().constData(), report.ok() ? stdout : stderr);
    return report.ok() ? 0 : 2;
}
