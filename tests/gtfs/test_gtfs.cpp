// The open-data importer against real feeds and small untidy ones made here: files as
// operators publish them, fares checked pair by pair against the feeds' own rules, ticket
// numbers, loops, the report, stable route numbers and all-or-nothing writing.
#include "BroadcastFile.h"
#include "Csv.h"
#include "Hy3Format.h"
#include "Importer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <zip.h>

namespace {

using Files = std::map<QString, QByteArray>;

// A small feed: A - B - C - D on route R1, fares by stop zone, and a reading for B.
Files smallFeed() {
    return {
        {QStringLiteral("agency.txt"), "agency_id,agency_name\nX,テストバス\n"},
        {QStringLiteral("stops.txt"), "stop_id,stop_name,zone_id\nA,駅前,ZA\nB,本町,ZB\nC,市役所,ZC\nD,車庫,ZD\n"},
        {QStringLiteral("routes.txt"), "route_id,route_short_name,route_long_name\nR1,1,駅前線\n"},
        {QStringLiteral("trips.txt"), "route_id,service_id,trip_id,direction_id\nR1,S,T1,0\nR1,S,T2,0\n"},
        {QStringLiteral("stop_times.txt"),
         "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
         "T1,8:00:00,8:00:00,A,1\nT1,8:05:00,8:05:00,B,2\nT1,8:09:00,8:09:00,C,3\nT1,8:15:00,8:15:00,D,4\n"
         "T2,9:00:00,9:00:00,A,1\nT2,9:05:00,9:05:00,B,2\nT2,9:09:00,9:09:00,C,3\nT2,9:15:00,9:15:00,D,4\n"},
        {QStringLiteral("fare_attributes.txt"), "fare_id,price,currency_type,payment_method,transfers\nF1,180,JPY,0,0\nF2,220,JPY,0,0\n"},
        {QStringLiteral("fare_rules.txt"),
         "fare_id,route_id,origin_id,destination_id\nF1,R1,ZA,ZB\nF1,R1,ZA,ZC\nF2,R1,ZA,ZD\n"
         "F1,R1,ZB,ZC\nF1,R1,ZB,ZD\nF1,R1,ZC,ZD\n"},
        {QStringLiteral("translations.txt"), "trans_id,lang,translation\n本町,ja-Hrkt,ほんまち\n本町,en,Honmachi\n"},
    };
}

void writeFolder(const QString& dir, const Files& files) {
    for (const auto& [name, bytes] : files) {
        QDir().mkpath(QFileInfo(QDir(dir).filePath(name)).absolutePath());
        QFile f(QDir(dir).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
}

void writeZip(const QString& path, const Files& files) {
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr);
    std::vector<QByteArray> keep;
    for (const auto& [name, bytes] : files) {
        keep.push_back(bytes);
        zip_source_t* s = zip_source_buffer(z, keep.back().constData(),
                                            static_cast<zip_uint64_t>(keep.back().size()), 0);
        zip_file_add(z, name.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
    }
    ASSERT_EQ(zip_close(z), 0);
}

std::unique_ptr<gtfs::OpenFeed> openFeed(const QString& path) {
    auto o = gtfs::OpenFeed::open(path);
    if (auto* e = std::get_if<QString>(&o)) {
        ADD_FAILURE() << e->toStdString();
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<gtfs::OpenFeed>>(o));
}

// The fare of every pair of a pattern, from the raw rules alone (the cheapest of those
// that match; -1 where none does): what the board's columns must say.
int ruleFare(const gtfs::Feed& f, const QString& route, const QString& from, const QString& to) {
    int best = -1;
    for (const gtfs::FareRule& r : f.rules)
        if ((r.route.isEmpty() || r.route == route) && (r.origin.isEmpty() || r.origin == from) &&
            (r.destination.isEmpty() || r.destination == to) && r.contains.isEmpty()) {
            const int p = f.prices[static_cast<size_t>(r.fare)];
            best = best < 0 ? p : std::min(best, p);
        }
    if (!f.hasFareRules && f.prices.size() == 1)
        best = f.prices.front();
    return best;
}

hy3::File readHy3(const QString& path) {
    QFile in(path);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray b = in.readAll();
    const auto r = hy3::parse(std::string_view(b.constData(), static_cast<size_t>(b.size())));
    EXPECT_TRUE(r.file.has_value());
    return r.file.value_or(hy3::File{});
}

// Every imported pattern's board checked against the feed's rules, cell by cell; the
// number of pairs compared.
int checkAgainstRules(const gtfs::OpenFeed& feed, const QString& folder) {
    const gtfs::Feed& f = feed.feed();
    int pairs = 0;
    for (const gtfs::PatternInfo& info : feed.list(folder).patterns) {
        const QString path = QDir(folder).filePath(QStringLiteral("%1.hy3").arg(info.number));
        if (!QFile::exists(path))
            continue;
        const hy3::File h = readHy3(path);
        const auto& stops = info.pattern.stops;
        EXPECT_EQ(h.rows.size(), stops.size());
        const QString route = f.routes[static_cast<size_t>(info.pattern.route)].id;
        // Where each ticket is first issued.
        std::map<int, size_t> first;
        for (size_t i = 0; i < h.rows.size(); ++i)
            first.emplace(h.rows[i].ticketNo, i);
        for (size_t j = 0; j < h.rows.size(); ++j)
            for (const auto& [ticket, from] : first) {
                if (ticket > limits::kDataColumns)
                    continue;
                const int want = from < j ? ruleFare(f, route, f.stops[static_cast<size_t>(stops[from])].zone,
                                                     f.stops[static_cast<size_t>(stops[j])].zone)
                                          : 0;
                EXPECT_EQ(h.rows[j].columns[static_cast<size_t>(ticket - 1)], std::max(want, 0))
                    << path.toStdString() << " row " << j + 1 << " ticket " << ticket;
                ++pairs;
            }
    }
    return pairs;
}

} // namespace

TEST(Gtfs, UntidyFilesAsOperatorsPublishThemReadTheSame) {
    struct Case {
        const char* name;
        std::function<void(Files&)> change;
        bool zip;
    };
    auto everyFile = [](const std::function<QByteArray(QByteArray)>& f) {
        return [f](Files& files) {
            for (auto& [n, b] : files)
                b = f(b);
        };
    };
    const Case cases[] = {
        {"as made", [](Files&) {}, false},
        {"a byte order mark", everyFile([](QByteArray b) { return "\xEF\xBB\xBF" + b; }), false},
        {"CRLF", everyFile([](QByteArray b) { return b.replace("\n", "\r\n"); }), false},
        {"every field quoted", everyFile([](QByteArray b) {
             QByteArray out;
             for (const QByteArray& line : b.split('\n'))
                 if (!line.isEmpty())
                     out += '"' + line.split(',').join("\",\"") + "\"\n";
             return out;
         }), false},
        {"blanks and tabs in header names", everyFile([](QByteArray b) {
             const qsizetype nl = b.indexOf('\n');
             return b.left(nl).replace(",", " ,\t") + b.mid(nl);
         }), false},
        {"columns in another order", [](Files& files) {
             files[QStringLiteral("stops.txt")] = "zone_id,stop_name,stop_id\nZA,駅前,A\nZB,本町,B\nZC,市役所,C\nZD,車庫,D\n";
         }, false},
        {"in a subfolder of the zip", [](Files& files) {
             Files moved;
             for (auto& [n, b] : files)
                 moved[QStringLiteral("feed/") + n] = b;
             files = moved;
         }, true},
        {"a misnamed optional file", [](Files& files) {
             files[QStringLiteral("translation.txt")] = files[QStringLiteral("translations.txt")];
             files.erase(QStringLiteral("translations.txt"));
         }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        Files files = smallFeed();
        c.change(files);
        const QString path = c.zip ? dir.filePath(QStringLiteral("feed.zip")) : dir.filePath(QStringLiteral("feed"));
        if (c.zip)
            writeZip(path, files);
        else
            writeFolder(path, files);
        const auto feed = openFeed(path);
        ASSERT_TRUE(feed);
        EXPECT_EQ(feed->feed().agency, QStringLiteral("テストバス"));
        const gtfs::Listing l = feed->list(dir.path());
        ASSERT_EQ(l.patterns.size(), 1u);
        EXPECT_EQ(l.patterns[0].pattern.trips, 2);
        const gtfs::FareMatrix m = feed->fares().forPattern(l.patterns[0].pattern);
        EXPECT_EQ(m.at(0, 1), 180);
        EXPECT_EQ(m.at(0, 3), 220);
        EXPECT_EQ(m.at(2, 3), 180);
        EXPECT_EQ(m.coveragePercent(), 100);
        EXPECT_EQ(feed->feed().translations.value(QStringLiteral("本町")).value(QStringLiteral("ja-Hrkt")),
                  QStringLiteral("ホンマチ"));
    }
}

TEST(Gtfs, ABadFileIsNamedWithItsLineAndField) {
    QTemporaryDir dir;
    Files files = smallFeed();
    files[QStringLiteral("stop_times.txt")] += "T1,8:20:00,8:20:00,NOWHERE,5\n";
    writeFolder(dir.filePath(QStringLiteral("f")), files);
    auto o = gtfs::OpenFeed::open(dir.filePath(QStringLiteral("f")));
    ASSERT_TRUE(std::holds_alternative<QString>(o));
    const QString e = std::get<QString>(o);
    EXPECT_TRUE(e.contains(QStringLiteral("stop_times.txt line 10 field stop_id"))) << e.toStdString();
    files = smallFeed();
    files.erase(QStringLiteral("stops.txt"));
    writeFolder(dir.filePath(QStringLiteral("g")), files);
    o = gtfs::OpenFeed::open(dir.filePath(QStringLiteral("g")));
    ASSERT_TRUE(std::holds_alternative<QString>(o));
    EXPECT_TRUE(std::get<QString>(o).contains(QStringLiteral("stops.txt: missing")));
}

TEST(Gtfs, AnArchiveThatWouldUnpackToAnAbsurdSizeIsRefused) {
    QTemporaryDir dir;
    Files files = smallFeed();
    files[QStringLiteral("shapes.txt")] = QByteArray(8 * 1024 * 1024, '0');
    writeZip(dir.filePath(QStringLiteral("bomb.zip")), files);
    auto o = gtfs::OpenFeed::open(dir.filePath(QStringLiteral("bomb.zip")));
    ASSERT_TRUE(std::holds_alternative<QString>(o));
    EXPECT_TRUE(std::get<QString>(o).contains(QStringLiteral("not a feed")));
}

TEST(Gtfs, FaresOfRealFeedsMatchTheirOwnRulesPairByPair) {
    struct Case {
        const char* feed;
        bool sharedZones;
    };
    for (const Case c : {Case{"rinko", false}, Case{"gtfs.1013.joshin_bus.zip", true},
                         Case{"city-toyama-kureha-gtfs.zip", false}}) {
        SCOPED_TRACE(c.feed);
        QTemporaryDir out;
        const auto feed = openFeed(QStringLiteral(FEEDS_DIR "/") + QString::fromLatin1(c.feed));
        ASSERT_TRUE(feed);
        gtfs::ImportRequest r;
        r.folder = out.path();
        r.allPatterns = true;
        const gtfs::ImportReport report = gtfs::importPatterns(*feed, r);
        ASSERT_TRUE(report.ok()) << report.error.toStdString();
        EXPECT_GT(checkAgainstRules(*feed, out.path()), 100);
        // Zones shared by several stops: some boarding stops share a ticket.
        if (c.sharedZones) {
            int shared = 0;
            for (const gtfs::PatternReport& p : report.patterns)
                shared += p.tickets < p.stops - 1 ? 1 : 0;
            EXPECT_GT(shared, 0);
        }
    }
}

TEST(Gtfs, AFlatFareFeedGivesOneTicketAndOnePrice) {
    const auto feed = openFeed(QStringLiteral(FEEDS_DIR "/city-toyama-kureha-gtfs.zip"));
    ASSERT_TRUE(feed);
    QTemporaryDir out;
    for (const gtfs::PatternInfo& p : feed->list(out.path()).patterns) {
        EXPECT_EQ(p.tickets, 1) << p.route.toStdString();
        EXPECT_EQ(p.coverage, 100);
        const gtfs::FareMatrix m = feed->fares().forPattern(p.pattern);
        EXPECT_EQ(m.at(0, m.n - 1), m.at(0, 1));
    }
}

TEST(Gtfs, BoardingStopsShareATicketOnlyWhenTheirFaresAheadAreEqual) {
    gtfs::FareMatrix m;
    m.n = 5;
    m.price.assign(25, -1);
    auto set = [&m](int i, int j, int p) { m.price[static_cast<size_t>(i * 5 + j)] = p; };
    // Rows 0 and 1 pay the same to 2, 3 and 4; row 2 pays less to 4 than row 1 does.
    for (int j : {2, 3, 4})
        set(0, j, 200), set(1, j, 200);
    set(0, 1, 150);
    set(2, 3, 150), set(2, 4, 180), set(3, 4, 150);
    EXPECT_EQ(gtfs::groupTickets(m), (std::vector<int>{1, 1, 2, 3, 3}));
    set(1, 4, 210);
    EXPECT_EQ(gtfs::groupTickets(m), (std::vector<int>{1, 2, 3, 4, 4}));
}

TEST(Gtfs, ALoopVisitsAStopTwiceAndMissingOrConflictingFaresAreReported) {
    QTemporaryDir dir;
    Files files = smallFeed();
    // Back to A at the end; A -> D has two prices; nothing prices C -> A.
    files[QStringLiteral("stop_times.txt")] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
        "T1,8:00:00,8:00:00,A,1\nT1,8:05:00,8:05:00,B,2\nT1,8:09:00,8:09:00,C,3\nT1,8:12:00,8:12:00,D,4\n"
        "T1,8:15:00,8:15:00,A,5\n";
    files[QStringLiteral("fare_rules.txt")] += "F1,R1,ZA,ZD\n";
    files[QStringLiteral("stops.txt")] += "E,ﾃｽﾄ髙島屋,ZE\n";
    writeFolder(dir.filePath(QStringLiteral("f")), files);
    const auto feed = openFeed(dir.filePath(QStringLiteral("f")));
    ASSERT_TRUE(feed);
    const auto l = feed->list(dir.path());
    ASSERT_EQ(l.patterns.size(), 1u);
    EXPECT_EQ(l.patterns[0].stops, 5);
    gtfs::ImportRequest r;
    r.folder = dir.path();
    const gtfs::ImportReport report = gtfs::importPatterns(*feed, r);
    ASSERT_TRUE(report.ok()) << report.error.toStdString();
    const gtfs::PatternReport& p = report.patterns.at(0);
    EXPECT_EQ(p.conflicts, 1);
    EXPECT_LT(p.coverage, 100);
    EXPECT_EQ(readHy3(dir.filePath(QStringLiteral("%1.hy3").arg(p.number))).rows.size(), 5u);
    EXPECT_TRUE(p.withoutReading.contains(QStringLiteral("駅前")));
    EXPECT_FALSE(p.withoutReading.contains(QStringLiteral("本町")));
    EXPECT_TRUE(report.text().contains(QStringLiteral("different prices")));
}

TEST(Gtfs, ImportedFilesLoadAndAnnounceAndNumbersStayTheSame) {
    QTemporaryDir out;
    const auto feed = openFeed(QStringLiteral(FEEDS_DIR "/rinko"));
    ASSERT_TRUE(feed);
    gtfs::ImportRequest r;
    r.folder = out.path();
    gtfs::ImportReport first = gtfs::importPatterns(*feed, r);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    ASSERT_EQ(first.patterns.size(), 2u);
    for (const gtfs::PatternReport& p : first.patterns) {
        const QString n = QString::number(p.number);
        EXPECT_LE(p.number, 99999);
        EXPECT_EQ(readHy3(out.filePath(n + QStringLiteral(".hy3"))).rows.size(), static_cast<size_t>(p.stops));
        QFile tp(out.filePath(n + QStringLiteral("tp.csv")));
        ASSERT_TRUE(tp.open(QIODevice::ReadOnly));
        const QByteArray b = tp.readAll();
        EXPECT_TRUE(broadcast::problems(std::string_view(b.constData(), static_cast<size_t>(b.size()))).empty());
        EXPECT_EQ(broadcast::lines(std::string_view(b.constData(), static_cast<size_t>(b.size()))).size(),
                  static_cast<size_t>(p.stops));
    }
    // A second import of the same feed gives the same numbers; the table holds each once.
    const gtfs::ImportReport second = gtfs::importPatterns(*feed, r);
    ASSERT_TRUE(second.ok());
    for (size_t i = 0; i < first.patterns.size(); ++i)
        EXPECT_EQ(second.patterns[i].number, first.patterns[i].number);
    QFile table(out.filePath(QStringLiteral("gtfs-routes.csv")));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv::records(QString::fromUtf8(table.readAll())).size(), 3u);
    QFile yomi(out.filePath(QStringLiteral("yomi.csv")));
    ASSERT_TRUE(yomi.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(yomi.readAll()).contains(QStringLiteral("カワサキエキニシグチ")));
}

TEST(Gtfs, AnImportThatFailsHalfWayLeavesTheFolderAsItWas) {
    QTemporaryDir out;
    const auto feed = openFeed(QStringLiteral(FEEDS_DIR "/rinko"));
    ASSERT_TRUE(feed);
    QFile mine(out.filePath(QStringLiteral("yomi.csv")));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("本町,ホンチョウ\r\n");
    mine.close();
    // The second pattern's fare file cannot be written: a folder stands in its place.
    const gtfs::Listing l = feed->list(out.path());
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("%1tp.csv").arg(l.patterns.back().number)));
    auto snapshot = [&] {
        QStringList s;
        for (const QFileInfo& i : QDir(out.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            QFile f(i.filePath());
            s << i.fileName() + (f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString());
        }
        return s;
    };
    const QStringList before = snapshot();
    gtfs::ImportRequest r;
    r.folder = out.path();
    const gtfs::ImportReport report = gtfs::importPatterns(*feed, r);
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(snapshot(), before);
}
