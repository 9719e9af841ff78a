// 路線データの取り込み in the real program: a committed feed opened in the dialog, one
// pattern ticked and imported, この路線を表示 puts its first stop on the board, and the
// next stop's fares are the feed's own.
#include "Importer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(RouteImport, TheDialogImportsARouteAndShowsItsFirstStopWithTheFeedsFares) {
    QTemporaryDir dir;
    const QString feedPath = QStringLiteral(FEEDS_DIR "/rinko");
    auto opened = gtfs::OpenFeed::open(feedPath);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<gtfs::OpenFeed>>(opened));
    const auto& feed = *std::get<std::unique_ptr<gtfs::OpenFeed>>(opened);
    // 川57: fares for every pair.
    const gtfs::Listing before = feed.list(dir.path());
    const gtfs::PatternInfo& p = before.patterns.at(1);
    ASSERT_EQ(p.coverage, 100);
    const QString shot = dir.filePath(QStringLiteral("dialog.png"));
    const QString script = dir.filePath(QStringLiteral("s.script"));
    QFile s(script);
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write(QStringLiteral("option FareDataFolder %1\nroutes open\nroutes feed %2\nroutes tick %3\n"
                           "routes import\nsnapshot routes %4\nroutes show\nstate\nnext\nstate\n")
                .arg(dir.path(), feedPath)
                .arg(p.number)
                .arg(shot)
                .toUtf8());
    s.close();
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(SIMULATOR), {QStringLiteral("--unattended"), QStringLiteral("--settings"),
                                          dir.filePath(QStringLiteral("t.in4")),
                                          QStringLiteral("--script"), script});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    std::vector<QJsonObject> states;
    for (const QByteArray& line : run.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            states.push_back(QJsonDocument::fromJson(line).object());
    // The import's report, then the two states.
    ASSERT_EQ(states.size(), 3u);
    EXPECT_TRUE(states[0][QStringLiteral("ok")].toBool());
    EXPECT_EQ(states[0][QStringLiteral("patterns")].toArray()[0][QStringLiteral("number")].toInt(), p.number);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("%1.hy3").arg(p.number))));
    EXPECT_TRUE(QFile::exists(shot));

    // The first stop: the route the dialog gave its number, nothing due yet.
    const QJsonObject first = states[1];
    EXPECT_EQ(first[QStringLiteral("RouteDigits")].toString(), QString::number(p.number));
    EXPECT_EQ(first[QStringLiteral("CurrentRow")].toInt(), 1);
    EXPECT_EQ(first[QStringLiteral("ChimeiCtl")][QStringLiteral("name")].toString(), p.first);
    // The next stop: ticket 1's fare is the feed's fare for that ride.
    const QJsonObject second = states[2];
    EXPECT_EQ(second[QStringLiteral("CurrentRow")].toInt(), 2);
    const gtfs::FareMatrix m = feed.fares().forPattern(p.pattern);
    const QString shown = second[QStringLiteral("Degit")].toArray()[0].toObject()[QStringLiteral("lit")]
                              .toString()
                              .trimmed();
    EXPECT_EQ(shown, QString::number(m.at(0, 1)));
    EXPECT_EQ(second[QStringLiteral("mdlM_Tape")][QStringLiteral("count")].toInt(), p.stops);
}
