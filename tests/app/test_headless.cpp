// The simulator on a machine without a screen, and driven through a pipe: the runs that
// need no window choose the off-screen platform themselves, and a script on standard input
// runs each line as it arrives.
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The environment of a machine with no display, and no platform chosen by the user.
QProcessEnvironment noScreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    return env;
}

} // namespace

TEST(Headless, HelpAndARecordedScriptNeedNoDisplay) {
    QTemporaryDir dir;
    QProcess help;
    help.setProcessEnvironment(noScreen());
    help.start(QStringLiteral(SIMULATOR), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitCode(), 0) << help.readAllStandardError().toStdString();
    const QString usage = QString::fromUtf8(help.readAllStandardOutput());
    EXPECT_TRUE(usage.contains(QStringLiteral("--record")));
    // One language throughout: Qt's own headings are English like every line of ours.
    EXPECT_TRUE(usage.startsWith(QStringLiteral("Usage: "))) << usage.toStdString();
    EXPECT_TRUE(usage.contains(QStringLiteral("\nOptions:\n"))) << usage.toStdString();
    EXPECT_FALSE(usage.contains(QStringLiteral("オプション"))) << usage.toStdString();
    // The keys are listed with the buttons they press.
    EXPECT_TRUE(usage.contains(QStringLiteral("F9 自動"))) << usage.toStdString();

    // The README's video command, as written, on a short trip.
    const QString script = dir.filePath(QStringLiteral("s.script"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("option FareDataFolder %1\nkey route\nkey 1\nkey section\nkey 1\n"
                           "reset keypad\nnext\nwait 300\n")
                .arg(QStringLiteral(DEMO_DIR))
                .toUtf8());
    f.close();
    const QString video = dir.filePath(QStringLiteral("trip.mp4"));
    QProcess rec;
    rec.setProcessEnvironment(noScreen());
    rec.start(QStringLiteral(SIMULATOR),
              {QStringLiteral("--unattended"), QStringLiteral("--settings"),
               dir.filePath(QStringLiteral("t.in4")), QStringLiteral("--record"), video,
               QStringLiteral("--script"), script});
    ASSERT_TRUE(rec.waitForFinished(60000));
    EXPECT_EQ(rec.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(rec.exitCode(), 0) << rec.readAllStandardError().toStdString();
    EXPECT_GT(QFileInfo(video).size(), 1000);
}

TEST(Headless, AScriptFromAPipeRunsEachLineAsItArrives) {
    QTemporaryDir dir;
    QProcess p;
    p.setProcessEnvironment(noScreen());
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--unattended"), QStringLiteral("--settings"),
             dir.filePath(QStringLiteral("t.in4")), QStringLiteral("--script"),
             QStringLiteral("-")});
    ASSERT_TRUE(p.waitForStarted(10000));
    auto answer = [&](const char* line) {
        p.write(line);
        // The answer comes while the pipe is still open: the line ran on its own.
        while (!p.canReadLine())
            if (!p.waitForReadyRead(30000))
                return QJsonObject();
        return QJsonDocument::fromJson(p.readLine()).object();
    };
    const QJsonObject first =
        answer(QStringLiteral("option FareDataFolder %1\nkey route\nkey 1\nkey section\nkey 1\n"
                              "reset keypad\nstate\n")
                   .arg(QStringLiteral(DEMO_DIR))
                   .toUtf8()
                   .constData());
    EXPECT_EQ(first[QStringLiteral("RouteDigits")].toString(), QStringLiteral("1"));
    EXPECT_EQ(first[QStringLiteral("CurrentRow")].toInt(), 1);
    const QJsonObject second = answer("next\nstate\n");
    EXPECT_EQ(second[QStringLiteral("CurrentRow")].toInt(), 2);
    // The end of the input ends an unattended run.
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
}

TEST(Headless, TheDemoStartsTheSameEveryTimeOnTheSameSettings) {
    QTemporaryDir dir;
    QFile start(QStringLiteral(DEMO_DIR "/start.script"));
    ASSERT_TRUE(start.open(QIODevice::ReadOnly));
    const QByteArray script = start.readAll() + "\nstate\n";
    std::vector<QJsonObject> seen;
    for (int launch = 0; launch < 3; ++launch) {
        QProcess p;
        p.setProcessEnvironment(noScreen());
        // The demo's script names its files from the project's folder, as run-demo.sh does.
        p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
        p.start(QStringLiteral(SIMULATOR),
                {QStringLiteral("--unattended"), QStringLiteral("--settings"),
                 dir.filePath(QStringLiteral("demo.in4")), QStringLiteral("--script"),
                 QStringLiteral("-")});
        p.write(script);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QJsonObject s = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QJsonObject kept;
        for (const char* key : {"options", "Degit", "CurrentRow", "RouteDigits"})
            kept[QString::fromLatin1(key)] = s[QString::fromLatin1(key)];
        kept[QStringLiteral("preview")] =
            s[QStringLiteral("frmCtl")][QStringLiteral("picSeirikenPrev")];
        seen.push_back(kept);
    }
    EXPECT_TRUE(seen[0][QStringLiteral("preview")][QStringLiteral("drawn")].toBool());
    EXPECT_EQ(seen[0][QStringLiteral("options")][QStringLiteral("UseTicketPreview")].toInt(), 1);
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], seen[0]);
}
