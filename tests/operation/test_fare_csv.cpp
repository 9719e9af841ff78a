#include "FareCsv.h"
#include "Hy3Builder.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FareCsv, Hy3ToCsvToHy3IsByteIdentical) {
    hy3::File f = makeRoute(12, [](int r, int c) -> int16_t {
        return c <= 32 ? (c < r ? 180 + 30 * (r - c) : -1) : (c == 40 ? 2 : 0);
    });
    f.rows[3].name = cp932::encode(QStringLiteral("中央\"公園\",前"));
    f.rows[4].name.clear();
    const std::string bytes = hy3::write(f);
    const auto back = farecsv::fromCsv(farecsv::toCsv(*hy3::parse(bytes).file));
    ASSERT_TRUE(back.file) << back.error.toStdString();
    EXPECT_EQ(hy3::write(*back.file), bytes);
}

TEST(FareCsv, CsvToHy3ToCsvIsExact) {
    const QString csv = QStringLiteral(
        "停留所名,整理券番号,1,2,3\nミナモ駅,1,-1,-1\n本町,2,180,-1,0,0\n港,3,210,180,-1\n");
    const auto r = farecsv::fromCsv(csv);
    ASSERT_TRUE(r.file);
    EXPECT_EQ(r.file->declaredRows, 3);
    EXPECT_EQ(r.file->rows[2].columns[1], 180);
    const QString again = farecsv::toCsv(*hy3::parse(hy3::write(*r.file)).file);
    EXPECT_EQ(again,
              QStringLiteral(
                  "停留所名,整理券番号,1,2,3\nミナモ駅,1,-1,-1\n本町,2,180,-1\n港,3,210,180,-1\n"));
    EXPECT_EQ(farecsv::toCsv(*farecsv::fromCsv(again).file), again);
}

TEST(FareCsv, BadCellsNameTheLine) {
    const auto r = farecsv::fromCsv(QStringLiteral("a,1,2\nb,2,70000\n"));
    EXPECT_FALSE(r.file);
    EXPECT_TRUE(r.error.contains(QStringLiteral("line 2"))) << r.error.toStdString();
    const auto wide = farecsv::fromCsv(QStringLiteral("a,1") + QStringLiteral(",0").repeated(151) +
                                       QLatin1Char('\n'));
    EXPECT_FALSE(wide.file);
    QString many;
    for (int i = 0; i < 302; ++i)
        many += QStringLiteral("s,%1\n").arg(i);
    EXPECT_FALSE(farecsv::fromCsv(many).file);
}

TEST(FareCsv, CheckReportsWhatAUserNeedsToKnow) {
    hy3::File f = makeRoute(3, [](int, int c) -> int16_t { return c == 2 ? 20000 : 100; });
    f.rows[1].name = cp932::encode(QStringLiteral("中央総合病院西口バスターミナル"));
    f.rows[2].name = std::string("\x81", 1);
    f.trailingBytes = 4;
    const auto rep = farecsv::check(f);
    const QString all = rep.problems.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                        rep.notes.join(QLatin1Char('\n'));
    // Doubling is done wide enough for any stored fare, so 20000 is nothing to report.
    EXPECT_FALSE(all.contains(QStringLiteral("late-night")));
    EXPECT_TRUE(all.contains(QStringLiteral("Shift-JIS")));
    EXPECT_TRUE(all.contains(QStringLiteral("bytes after")));
    EXPECT_TRUE(all.contains(QStringLiteral("scrolls")));
    EXPECT_TRUE(all.contains(QStringLiteral("never be a starting section")));
    EXPECT_TRUE(farecsv::check(makeRoute(1)).problems.size() == 1);
}

TEST(DemoData, CommittedFilesMatchTheirCsvSources) {
    for (const char* route : {"1", "105"}) {
        const QString dir = QStringLiteral(DEMO_DIR);
        QFile csv(dir + QStringLiteral("/%1.csv").arg(QLatin1String(route)));
        QFile bin(dir + QStringLiteral("/%1.hy3").arg(QLatin1String(route)));
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << route;
        ASSERT_TRUE(bin.open(QIODevice::ReadOnly)) << route;
        const auto made = farecsv::fromCsv(QString::fromUtf8(csv.readAll()));
        ASSERT_TRUE(made.file) << route;
        const QByteArray committed = bin.readAll();
        EXPECT_EQ(hy3::write(*made.file), committed.toStdString()) << route;
        const auto parsed = hy3::parse(
            std::string_view(committed.constData(), static_cast<size_t>(committed.size())));
        ASSERT_TRUE(parsed.file);
        EXPECT_GE(parsed.file->declaredRows, 10);
        EXPECT_LE(parsed.file->declaredRows, 20);
    }
}

TEST(Hy3Tool, ConvertsChecksAndReportsByExitStatus) {
    QTemporaryDir dir;
    const QString tool = QStringLiteral(HY3_TOOL);
    const QString csv = dir.filePath(QStringLiteral("r.csv"));
    const QString hy3 = dir.filePath(QStringLiteral("r.hy3"));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(tool, args);
        p.waitForFinished(20000);
        return p.exitCode();
    };
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(
        cp932::encode(QStringLiteral("名前,番号\n港,1,-1\n桜台,2,180\n"))));
    f.close();
    EXPECT_EQ(run({QStringLiteral("from-csv"), csv, QStringLiteral("-o"), hy3,
                   QStringLiteral("--encoding"), QStringLiteral("sjis")}),
              0);
    EXPECT_EQ(run({QStringLiteral("check"), hy3}), 0);
    EXPECT_EQ(run({QStringLiteral("to-csv"), hy3, QStringLiteral("-o"),
                   dir.filePath(QStringLiteral("o.csv"))}),
              0);
    QFile out(dir.filePath(QStringLiteral("o.csv")));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(out.readAll()),
              QStringLiteral("停留所名,整理券番号,1\n港,1,-1\n桜台,2,180\n"));
    writeBytes(dir.filePath(QStringLiteral("bad.hy3")), std::string("\x03\x00\x01", 3));
    EXPECT_EQ(run({QStringLiteral("check"), dir.filePath(QStringLiteral("bad.hy3"))}), 2);
    writeBytes(dir.filePath(QStringLiteral("one.hy3")), hy3::write(makeRoute(1)));
    EXPECT_EQ(run({QStringLiteral("check"), dir.filePath(QStringLiteral("one.hy3"))}), 1);
    EXPECT_EQ(run({QStringLiteral("frobnicate"), hy3}), 2);
}

TEST(FareCsv, NamesThatLookLikePlaceholdersArePrintedAsTheyAre) {
    hy3::File f = makeRoute(3);
    f.rows[0].name = cp932::encode(QStringLiteral("%3番乗り場前バスターミナル東口"));
    f.rows[2].name = cp932::encode(QStringLiteral("終点%2"));
    const auto rep = farecsv::check(f);
    const QString all = rep.notes.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("\"%3番乗り場前バスターミナル東口\"")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("\"終点%2\""))) << all.toStdString();
}
