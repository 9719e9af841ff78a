// Runs the real simulator with scripts and checks what it reports and shows.
#include "ImageCompare.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct RunResult {
    int exitCode = -1;
    std::vector<QJsonObject> states;
    std::vector<QJsonObject> messages;
    QString stderrText;
};

class EndToEnd : public ::testing::Test {
  protected:
    RunResult run(const QString& script, const QStringList& extra = {}) {
        const QString path = dir.filePath(QStringLiteral("s%1.script").arg(++count));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(script.toUtf8());
        f.close();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(SIMULATOR),
                QStringList{QStringLiteral("--unattended"), QStringLiteral("--settings"),
                            dir.filePath(QStringLiteral("test.in4")), QStringLiteral("--script"),
                            path} +
                    extra);
        EXPECT_TRUE(p.waitForFinished(60000));
        RunResult r;
        r.exitCode = p.exitCode();
        for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                r.states.push_back(QJsonDocument::fromJson(line).object());
        r.stderrText = QString::fromUtf8(p.readAllStandardError());
        for (const QString& line : r.stderrText.split(QLatin1Char('\n'))) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.contains(QStringLiteral("message")))
                r.messages.push_back(o[QStringLiteral("message")].toObject());
        }
        return r;
    }
    static QString lit(const QJsonObject& s, int n) {
        return s[QStringLiteral("Degit")]
            .toArray()[n - 1]
            .toObject()[QStringLiteral("lit")]
            .toString();
    }
    // Runs the settings tool; its standard error when it failed, empty when it succeeded.
    static QString in4Tool(const QStringList& args) {
        QProcess tool;
        tool.start(QStringLiteral(IN4_TOOL), args);
        if (!tool.waitForFinished())
            return QStringLiteral("in4 did not finish");
        return tool.exitCode() == 0
                   ? QString()
                   : QString::fromUtf8(tool.readAllStandardError()) + QLatin1Char(' ');
    }
    static QString demo() {
        return QStringLiteral("option FareDataFolder %1\n").arg(QStringLiteral(DEMO_DIR));
    }

    QTemporaryDir dir;
    QString platform = QStringLiteral("offscreen");
    int count = 0;
};

} // namespace

TEST_F(EndToEnd, WholeTripOnTheDemoRoute) {
    QString s =
        demo() + QStringLiteral("key route\nkey 1\nkey section\nkey 1\nreset keypad\nstate\n");
    for (int i = 0; i < 15; ++i)
        s += QStringLiteral("next\n");
    s += QStringLiteral("state\n");
    for (int i = 0; i < 15; ++i)
        s += QStringLiteral("back\n");
    s += QStringLiteral("state\n");
    const RunResult r = run(s);
    EXPECT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 3u);
    EXPECT_EQ(r.states[0][QStringLiteral("CurrentRow")].toInt(), 1);
    EXPECT_EQ(r.states[0][QStringLiteral("RowCount")].toInt(), 14);
    EXPECT_EQ(
        r.states[0][QStringLiteral("ChimeiCtl")].toObject()[QStringLiteral("name")].toString(),
        QStringLiteral("ミナモ駅"));
    EXPECT_EQ(r.states[1][QStringLiteral("CurrentRow")].toInt(), 14);
    EXPECT_EQ(
        r.states[1][QStringLiteral("ChimeiCtl")].toObject()[QStringLiteral("name")].toString(),
        QStringLiteral("東ミナモ車庫"));
    EXPECT_EQ(lit(r.states[1], 1), QStringLiteral("420"));
    EXPECT_EQ(r.states[2][QStringLiteral("CurrentRow")].toInt(), 1);
    const QJsonObject form = r.states[0][QStringLiteral("Form1")].toObject();
    EXPECT_EQ(form[QStringLiteral("Caption")].toString(), QStringLiteral("ミナモ - 型番:527"));
    // The quit at the end of an unattended script asks first.
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages.back()[QStringLiteral("text")].toString(),
              QStringLiteral("ミナモを終了しますか？"));
}

TEST_F(EndToEnd, RouteSettingFailuresShowTheirMessages) {
    const QString tmp = dir.path();
    QFile zero(dir.filePath(QStringLiteral("3.hy3")));
    zero.open(QIODevice::WriteOnly);
    zero.write(QByteArray(2, '\0'));
    zero.close();
    QFile::copy(QStringLiteral(DEMO_DIR "/105.hy3"), dir.filePath(QStringLiteral("105.hy3")));
    const RunResult r = run(
        QStringLiteral("option FareDataFolder %1\n"
                       "key route\nkey 7\nreset keypad\n"
                       "key route\nkey 3\nreset keypad\n"
                       "key route\nkey 1\nkey 0\nkey 5\nkey section\nkey 1\nkey 2\nreset keypad\n"
                       "key section\nkey 2\nreset keypad\nstate\n"
                       "key route\nkey 7\nreset keypad\nstate\n")
            .arg(tmp));
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GE(r.messages.size(), 4u);
    EXPECT_EQ(r.messages[0][QStringLiteral("text")].toString(),
              QStringLiteral("指定した系統のデータがありません..."));
    EXPECT_EQ(r.messages[0][QStringLiteral("title")].toString(), QStringLiteral("ミナモVer4"));
    EXPECT_EQ(r.messages[0][QStringLiteral("icon")].toString(), QStringLiteral("none"));
    EXPECT_EQ(r.messages[1][QStringLiteral("text")].toString(),
              QStringLiteral("指定した系統はデータの数が0(未登録)の可能性があります..."));
    EXPECT_TRUE(r.messages[2][QStringLiteral("text")].toString().startsWith(
        QStringLiteral("指定した区間はデータの数よりも多いです...")));
    ASSERT_EQ(r.states.size(), 2u);
    EXPECT_EQ(r.states[0][QStringLiteral("CurrentRow")].toInt(), 2);
    // A failure keeps the trip: still route 105 at row 2.
    EXPECT_EQ(r.states[1][QStringLiteral("CurrentRow")].toInt(), 2);
    EXPECT_EQ(r.states[1][QStringLiteral("RowCount")].toInt(), 12);
    EXPECT_EQ(r.states[1][QStringLiteral("RouteDigits")].toString(), QStringLiteral("7"));
}

TEST_F(EndToEnd, LateNightBlankingAndNumberingModes) {
    const RunResult r =
        run(demo() +
            QStringLiteral(
                "list route - - - 0 1\nlist section - 0 4\nreset list\nlatenight on\nnext\nstate\n"
                "blank on\nstate\nblank off\nstate\n"
                "option NumberingMode 7\noption LeadingZero 1\napply\nstate\n"));
    EXPECT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 4u);
    EXPECT_EQ(lit(r.states[0], 4), QStringLiteral("380")); // 190 doubled
    EXPECT_EQ(lit(r.states[0], 1), QString());             // below the start section
    EXPECT_EQ(lit(r.states[0], 6), QString());             // no fare due yet: dark
    EXPECT_EQ(lit(r.states[1], 4), QString());
    const QJsonObject enabled =
        r.states[1][QStringLiteral("frmCtl")].toObject()[QStringLiteral("enabled")].toObject();
    EXPECT_FALSE(enabled[QStringLiteral("Command2(1)")].toBool());
    EXPECT_FALSE(enabled[QStringLiteral("Frame6")].toBool());
    EXPECT_EQ(lit(r.states[2], 4), QStringLiteral("380"));
    EXPECT_EQ(lit(r.states[2], 1), QString()); // stays dark after blanking
    const QJsonArray labels = r.states[3][QStringLiteral("lblSeiriNum")].toArray();
    EXPECT_EQ(labels[0].toObject()[QStringLiteral("Caption")].toString(), QStringLiteral("券なし"));
    EXPECT_EQ(labels[0].toObject()[QStringLiteral("FontSize")].toDouble(), 12.0);
    EXPECT_EQ(labels[1].toObject()[QStringLiteral("Caption")].toString(), QStringLiteral("02"));
}

TEST_F(EndToEnd, AScrollingNameMovesBetweenTwoStates) {
    const RunResult r =
        run(demo() + QStringLiteral("speed 100\nkey route\nkey 1\nkey section\nkey 9\nreset "
                                    "keypad\nnext\nstate\nwait 300\nstate\n"));
    ASSERT_EQ(r.states.size(), 2u);
    const QJsonObject a = r.states[0][QStringLiteral("ChimeiCtl")].toObject();
    const QJsonObject b = r.states[1][QStringLiteral("ChimeiCtl")].toObject();
    EXPECT_TRUE(a[QStringLiteral("scrolling")].toBool());
    EXPECT_EQ(a[QStringLiteral("stripWidth")].toInt(), 15 * 54);
    EXPECT_LT(b[QStringLiteral("stripLeft")].toInt(), a[QStringLiteral("stripLeft")].toInt() - 60);
}

TEST_F(EndToEnd, DigitDialogAndSnapshot) {
    const QString png = dir.filePath(QStringLiteral("board.png"));
    const RunResult r = run(
        demo() + QStringLiteral("list route - - - - 1\nlist section - - 3\nreset list\n"
                                "next\nnext\ndigit-dialog 5 0 1 0 1\nstate\nsnapshot board %1\n")
                     .arg(png));
    ASSERT_EQ(r.states.size(), 1u);
    EXPECT_EQ(r.states[0][QStringLiteral("Degit")]
                  .toArray()[20]
                  .toObject()[QStringLiteral("Shift")]
                  .toInt(),
              1);
    EXPECT_EQ(lit(r.states[0], 3), QStringLiteral("10 ")); // 210 moved one place left
    const QImage img(png);
    ASSERT_EQ(img.size(), QSize(582, 344));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(img.pixel(10, 10)), 255);
}

TEST_F(EndToEnd, ScriptErrorsNameTheLineAndStopThere) {
    const RunResult r = run(QStringLiteral("state\nfrobnicate 3\nstate\n"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.states.size(), 1u);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("script line 2")))
        << r.stderrText.toStdString();
}

TEST_F(EndToEnd, TheModelNumberIsTheProgramsOwnName) {
    const QString copy = dir.filePath(QStringLiteral("999"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SIMULATOR), copy));
    QFile::setPermissions(copy, QFile::permissions(QStringLiteral(SIMULATOR)));
    const QString script = dir.filePath(QStringLiteral("v.script"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("version\nstate\n");
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(copy, {QStringLiteral("--unattended"), QStringLiteral("--script"), script});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QJsonObject s =
        QJsonDocument::fromJson(p.readAllStandardOutput().split('\n').first()).object();
    EXPECT_EQ(s[QStringLiteral("Form1")].toObject()[QStringLiteral("Caption")].toString(),
              QStringLiteral("ミナモ - 型番:999"));
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("機種：999")));
}

TEST_F(EndToEnd, BlankedPanelIgnoresEntryLikeTheScreenDoes) {
    const RunResult r =
        run(demo() + QStringLiteral("key route\nkey 1\nkey section\nkey 1\nreset keypad\n"
                                    "blank on\nkey route\nkey 5\nlist route 0 0 0 0 5\nnext\n"
                                    "speed 900\nstate\n"));
    ASSERT_EQ(r.states.size(), 1u);
    const QJsonObject panel = r.states[0][QStringLiteral("frmCtl")].toObject();
    EXPECT_EQ(panel[QStringLiteral("Label2")].toArray()[0].toString(), QStringLiteral("1"));
    EXPECT_EQ(r.states[0][QStringLiteral("CurrentRow")].toInt(), 1);
    EXPECT_EQ(r.states[0][QStringLiteral("ChimeiCtl")].toObject()[QStringLiteral("Speed")].toInt(),
              5);
}

// The board after route setting on demo route 1, pixel for pixel against a committed
// picture. A deliberate change of the look is recorded by running this test once with
// MINAMO_UPDATE_REFERENCES=1 and committing the new picture.
TEST_F(EndToEnd, BoardAfterRouteSettingMatchesTheReferencePicture) {
    const QString shot = dir.filePath(QStringLiteral("board.png"));
    const RunResult r = run(demo() + QStringLiteral("key route\nkey 1\nkey section\nkey 1\n"
                                                    "reset keypad\nsnapshot board %1\n")
                                         .arg(shot));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    const QImage got = QImage(shot).convertToFormat(QImage::Format_ARGB32);
    const QString refPath = QStringLiteral(REFERENCE_DIR "/board_route1.png");
    if (qEnvironmentVariableIsSet("MINAMO_UPDATE_REFERENCES")) {
        ASSERT_TRUE(got.save(refPath));
        GTEST_SKIP() << "reference picture written";
    }
    const QImage want = QImage(refPath).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(want.isNull()) << "no reference picture at " << refPath.toStdString();
    ASSERT_EQ(got.size(), want.size());
    // Small tolerance: font hinting may move a few edge pixels by a shade, nothing more.
    const int off = pixelsDiffering(got, want);
    EXPECT_LE(off, got.width() * got.height() / 500) << off << " pixels differ";
}

// The zoom a person chose comes back after a restart, --zoom is for one run, and the
// picture at --zoom 1 is today's board.
TEST_F(EndToEnd, ZoomIsRememberedBesideTheSettingsAndPicturesFollowIt) {
    // A full HD monitor: zoom 3 fits it, zoom 4 would not.
    const QString config = dir.filePath(QStringLiteral("hd.json"));
    QFile screens(config);
    ASSERT_TRUE(screens.open(QIODevice::WriteOnly));
    screens.write(R"({"screens": [{"name": "HD", "x": 0, "y": 0, "width": 1920, "height": 1080,
        "logicalDpi": 96}]})");
    screens.close();
    platform = QStringLiteral("offscreen:configfile=") + config;
    const QString one = dir.filePath(QStringLiteral("one.png")),
                  three = dir.filePath(QStringLiteral("three.png"));
    RunResult r = run(QStringLiteral("option BoardZoom 3\nok\nstate\nsnapshot board %1\n"
                                     "snapshot board --zoom 1 %2\n")
                          .arg(three, one));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 1u);
    const QJsonObject form = r.states[0][QStringLiteral("Form1")].toObject();
    EXPECT_EQ(form[QStringLiteral("zoom")].toInt(), 3) << r.stderrText.toStdString() << platform.toStdString();
    EXPECT_EQ(QImage(three).size(), QSize(582 * 3, 344 * 3));
    EXPECT_EQ(QImage(one).size(), QSize(582, 344));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("test.display"))));

    r = run(QStringLiteral("state\n"));
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("zoom")].toInt(), 3);
    r = run(QStringLiteral("state\n"), {QStringLiteral("--zoom"), QStringLiteral("2")});
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("zoom")].toInt(), 2);
    r = run(QStringLiteral("state\n"));
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("zoom")].toInt(), 3)
        << "--zoom is not remembered";
    EXPECT_EQ(run(QString(), {QStringLiteral("--zoom"), QStringLiteral("5")}).exitCode, 2);

    // --zoom 4 does not fit: it says so and shows the largest that does.
    r = run(QStringLiteral("state\n"), {QStringLiteral("--zoom"), QStringLiteral("4")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("zoom")].toInt(), 3);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("--zoom 4 does not fit the screen (1920 x 1080): showing 3")))
        << r.stderrText.toStdString();
    // A remembered 4 (a bigger monitor once) shows at 3 and stays remembered.
    r = run(QStringLiteral("option BoardZoom 4\nok\nstate\n"));
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("zoom")].toInt(), 3);
    EXPECT_EQ(r.states[0][QStringLiteral("ownOptions")].toObject()[QStringLiteral("BoardZoom")].toInt(), 4);
}

// Every file the command line names is checked before a window opens: a file that cannot
// be read stops the run with its path and the reason; Qt's remarks about the off-screen
// platform stay out of the way.
TEST_F(EndToEnd, ACommandLineFileThatCannotBeReadStopsTheRunWithItsPathAndReason) {
    const QString missing = dir.filePath(QStringLiteral("nofile.jsonl"));
    RunResult r = run(QStringLiteral("state\n"), {QStringLiteral("--replay-telemetry"), missing});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.stderrText.contains(missing)) << r.stderrText.toStdString();
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("No such file"))) << r.stderrText.toStdString();
    EXPECT_TRUE(r.states.empty());
    r = run(QStringLiteral("state\n"), {QStringLiteral("--audio-out"), dir.filePath(QStringLiteral("no/such/folder/x.wav"))});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("--audio-out"))) << r.stderrText.toStdString();
    r = run(QStringLiteral("state\n"), {QStringLiteral("--settings"), dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("is a folder"))) << r.stderrText.toStdString();

    // A log that reads but holds no telemetry fails the run too, named as the log.
    const QString bad = dir.filePath(QStringLiteral("bad.jsonl"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"t\": 0}\n");
    f.close();
    r = run(demo(), {QStringLiteral("--replay-telemetry"), bad});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("--replay-telemetry"))) << r.stderrText.toStdString();
    EXPECT_FALSE(r.stderrText.contains(QStringLiteral("script line"))) << r.stderrText.toStdString();
    EXPECT_FALSE(r.stderrText.contains(QStringLiteral("This plugin does not support")))
        << r.stderrText.toStdString();
}

// 自動 is greyed while the board is blanked, and a start asked for then is refused.
TEST_F(EndToEnd, AutoRunRefusesToStartWhileTheBoardIsBlanked) {
    RunResult r = run(demo() + QStringLiteral("key route\nkey 1\nkey section\nkey 1\nreset keypad\n"
                                              "blank on\nstate\nauto start 1\n"));
    EXPECT_EQ(r.exitCode, 2) << "the refused start ends the script";
    ASSERT_EQ(r.states.size(), 1u);
    EXPECT_FALSE(r.states[0][QStringLiteral("frmCtl")][QStringLiteral("enabled")][QStringLiteral("cmdAuto")].toBool());
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("auto start"))) << r.stderrText.toStdString();
}

// Two virtual monitors: --screen puts the board full screen on the one named, at the
// largest whole zoom that fits, centred; an unknown name lists the monitors.
TEST_F(EndToEnd, FullScreenOnTheNamedMonitorPicksTheLargestZoomAndCentres) {
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile f(config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"screens": [
        {"name": "Left", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96},
        {"name": "Right", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]})");
    f.close();
    platform = QStringLiteral("offscreen:configfile=") + config;
    RunResult r = run(QStringLiteral("wait 200\nstate\n"),
                      {QStringLiteral("--screen"), QStringLiteral("Right")});
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 1u);
    const QJsonObject form = r.states[0][QStringLiteral("Form1")].toObject();
    EXPECT_TRUE(form[QStringLiteral("fullScreen")].toBool());
    EXPECT_EQ(form[QStringLiteral("screen")].toString(), QStringLiteral("Right"));
    EXPECT_EQ(form[QStringLiteral("shownZoom")].toInt(), 3);
    EXPECT_EQ(form[QStringLiteral("zoom")].toInt(), 1);
    const QJsonArray board = form[QStringLiteral("board")].toArray();
    EXPECT_EQ(board, (QJsonArray{1280 + 87, 24, 582 * 3, 344 * 3}));

    r = run(QString(), {QStringLiteral("--screen"), QStringLiteral("Middle")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.stderrText.contains(QStringLiteral("Left, Right"))) << r.stderrText.toStdString();

    // A board left on the second monitor comes back there; with that monitor gone it
    // goes back to the corner.
    const QString in4 = dir.filePath(QStringLiteral("test.in4"));
    ASSERT_EQ(in4Tool({QStringLiteral("set"), in4, QStringLiteral("BoardLeft=21000"),
                       QStringLiteral("BoardTop=1500")}),
              QString());
    r = run(QStringLiteral("state\n"));
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("Left")].toInt(),
              21000);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(R"({"screens": [{"name": "Left", "x": 0, "y": 0, "width": 1280, "height": 1024}]})");
    f.close();
    r = run(QStringLiteral("state\n"));
    EXPECT_EQ(r.states[0][QStringLiteral("Form1")].toObject()[QStringLiteral("Left")].toInt(), 0);
}

// A settings file made by the settings tool, as another installation would have left it:
// everything comes back at start, and quitting writes the same bytes again.
TEST_F(EndToEnd, SettingsSurviveARestartByteForByte) {
    const QString in4 = dir.filePath(QStringLiteral("test.in4"));
    ASSERT_EQ(in4Tool({QStringLiteral("new"), in4}), QString());
    ASSERT_EQ(
        in4Tool({QStringLiteral("set"), in4,
                 QStringLiteral("FareDataFolder=%1").arg(QStringLiteral(DEMO_DIR)),
                 QStringLiteral("NumberingMode=7"), QStringLiteral("LeadingZero=1"),
                 QStringLiteral("DigitLitColor=255"), QStringLiteral("ResetSound=/音/キー.wav"),
                 QStringLiteral("PanelPage=1"), QStringLiteral("ScrollSpeedValue=250"),
                 QStringLiteral("ScrollIntervalValue=900"), QStringLiteral("LateNightFare=1"),
                 QStringLiteral("PanelLeft=1500"), QStringLiteral("PanelTop=1200"),
                 QStringLiteral("BoardLeft=300"), QStringLiteral("BoardTop=450"),
                 QStringLiteral("Degit3.ZeroMode=2"), QStringLiteral("Degit3.Shift=1"),
                 QStringLiteral("Degit32.FillZero=3"), QStringLiteral("CustomColor17=4660")}),
        QString());
    QFile f(in4);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    const RunResult r = run(QStringLiteral("state\n"));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 1u);
    const QJsonObject s = r.states[0];
    const QJsonObject opts = s[QStringLiteral("options")].toObject();
    EXPECT_EQ(opts[QStringLiteral("NumberingMode")].toInt(), 7);
    EXPECT_EQ(opts[QStringLiteral("ResetSound")].toString(), QStringLiteral("/音/キー.wav"));
    const QJsonObject panel = s[QStringLiteral("frmCtl")].toObject();
    EXPECT_EQ(panel[QStringLiteral("PanelPage")].toInt(), 1);
    EXPECT_EQ(panel[QStringLiteral("HScroll1")].toArray()[0].toInt(), 250);
    EXPECT_EQ(panel[QStringLiteral("HScroll1")].toArray()[1].toInt(), 900);
    EXPECT_EQ(panel[QStringLiteral("Check2")].toInt(), 1);
    EXPECT_EQ(panel[QStringLiteral("Left")].toInt(), 1500);
    EXPECT_EQ(panel[QStringLiteral("Top")].toInt(), 1200);
    const QJsonObject board = s[QStringLiteral("Form1")].toObject();
    EXPECT_EQ(board[QStringLiteral("Left")].toInt(), 300);
    EXPECT_EQ(board[QStringLiteral("Top")].toInt(), 450);
    const QJsonArray digits = s[QStringLiteral("Degit")].toArray();
    EXPECT_EQ(digits[2].toObject()[QStringLiteral("ZeroMode")].toInt(), 2);
    EXPECT_EQ(digits[2].toObject()[QStringLiteral("Shift")].toInt(), 1);
    EXPECT_EQ(digits[31].toObject()[QStringLiteral("FillZero")].toInt(), 3);
    EXPECT_EQ(digits[0].toObject()[QStringLiteral("DegitForeColor")].toInt(), 255);
    EXPECT_EQ(s[QStringLiteral("lblSeiriNum")]
                  .toArray()[1]
                  .toObject()[QStringLiteral("Caption")]
                  .toString(),
              QStringLiteral("02"));

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

// A settings file whose scroll value does not fit the scroll bar: the error box, and the
// load stops there.
TEST_F(EndToEnd, AnOversizedScrollValueStopsTheLoadWithAnErrorBox) {
    const QString in4 = dir.filePath(QStringLiteral("test.in4"));
    ASSERT_EQ(in4Tool({QStringLiteral("new"), in4}), QString());
    ASSERT_EQ(in4Tool({QStringLiteral("set"), in4, QStringLiteral("ScrollSpeedValue=70000"),
                       QStringLiteral("LeadingZero=1"), QStringLiteral("PanelLeft=1500"),
                       QStringLiteral("BoardLeft=300")}),
              QString());
    const RunResult r = run(QStringLiteral("state\n"));
    ASSERT_EQ(r.states.size(), 1u);
    ASSERT_FALSE(r.messages.empty());
    EXPECT_EQ(r.messages[0][QStringLiteral("text")].toString(),
              QStringLiteral("エラー Code:6\r\n内容:オーバーフローしました。"));
    EXPECT_EQ(r.messages[0][QStringLiteral("title")].toString(), QStringLiteral("ミナモVer4"));
    const QJsonObject s = r.states[0];
    EXPECT_EQ(s[QStringLiteral("options")].toObject()[QStringLiteral("LeadingZero")].toInt(), 1);
    EXPECT_EQ(s[QStringLiteral("frmCtl")].toObject()[QStringLiteral("Left")].toInt(), 1500);
    EXPECT_EQ(s[QStringLiteral("Form1")].toObject()[QStringLiteral("Left")].toInt(), 0);
    // SetProp did not run: the labels keep the start-up numbering without a leading zero.
    EXPECT_EQ(s[QStringLiteral("lblSeiriNum")]
                  .toArray()[1]
                  .toObject()[QStringLiteral("Caption")]
                  .toString(),
              QStringLiteral("2"));
}

// A save killed at any moment leaves the old file or the new one, never a torn one.
TEST_F(EndToEnd, AKilledSaveLeavesTheOldOrTheNewFile) {
    const QString in4 = dir.filePath(QStringLiteral("k.in4"));
    ASSERT_EQ(in4Tool({QStringLiteral("new"), in4}), QString());
    const QString big = QString(30000, QChar(0x3042)); // 60000 bytes
    for (int i = 0; i < 12; ++i) {
        QProcess p;
        p.start(QStringLiteral(IN4_TOOL),
                {QStringLiteral("set"), in4,
                 QStringLiteral("PluginPath=%1").arg(i % 2 ? big : QString())});
        p.waitForStarted();
        QThread::usleep(static_cast<unsigned long>(500 + 900 * i));
        p.kill();
        p.waitForFinished();
        QFile f(in4);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const qint64 size = f.size();
        EXPECT_TRUE(size == 440 || size == 440 + 60000) << "torn file of " << size << " bytes";
    }
}

// The options dialog worked as an operator would: a user panel for ON1 picked through its
// "..." button, numbering mode 7 and a digit colour, OK, then the backlight on ON1.
TEST_F(EndToEnd, OptionsDialogPicksAUserPanelAndAppliesOnOk) {
    const QString panelFile = dir.filePath(QStringLiteral("パネル on1.png"));
    QImage panelPicture(582, 344, QImage::Format_RGB32);
    panelPicture.fill(QColor(10, 200, 30));
    ASSERT_TRUE(panelPicture.save(panelFile));
    const QString shot = dir.filePath(QStringLiteral("board.png"));
    const RunResult r = run(
        QStringLiteral(
            "settings\nstate\n"
            "click frmOption.Option1(1)\nclick frmOption.Option3(1)\nclick frmOption.Option3(2)\n"
            "answer file %1\nclick frmOption.Command6(1)\n"
            "option NumberingMode 7\n"
            "click frmOption.Option1(2)\nanswer color 255\nclick frmOption.Command8(2)\n"
            "answer cancel\nclick frmOption.Command8(0)\n"
            "state\nok\nbacklight 1\nstate\nsnapshot board %2\n")
            .arg(panelFile, shot));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 3u);
    const QJsonObject open = r.states[0][QStringLiteral("frmOption")].toObject();
    EXPECT_TRUE(open[QStringLiteral("visible")].toBool());
    const QJsonObject c =
        r.states[1][QStringLiteral("frmOption")].toObject()[QStringLiteral("controls")].toObject();
    EXPECT_EQ(c[QStringLiteral("txtSelectPanel(1)")].toObject()[QStringLiteral("value")].toString(),
              panelFile);
    EXPECT_EQ(c[QStringLiteral("Combo2")].toObject()[QStringLiteral("index")].toInt(), 7);
    EXPECT_EQ(c[QStringLiteral("Command8(2)")].toObject()[QStringLiteral("color")].toInt(), 255);
    EXPECT_EQ(c[QStringLiteral("Command8(0)")].toObject()[QStringLiteral("color")].toInt(),
              0x808080);
    EXPECT_EQ(c[QStringLiteral("M_Degit1")].toObject()[QStringLiteral("DegitForeColor")].toInt(),
              255);
    // The board changed only with OK.
    EXPECT_NE(r.states[1][QStringLiteral("Degit")]
                  .toArray()[0]
                  .toObject()[QStringLiteral("DegitForeColor")]
                  .toInt(),
              255);
    const QJsonObject after = r.states[2];
    EXPECT_FALSE(after[QStringLiteral("frmOption")].toObject()[QStringLiteral("visible")].toBool());
    EXPECT_EQ(after[QStringLiteral("Degit")]
                  .toArray()[0]
                  .toObject()[QStringLiteral("DegitForeColor")]
                  .toInt(),
              255);
    EXPECT_EQ(after[QStringLiteral("lblSeiriNum")]
                  .toArray()[0]
                  .toObject()[QStringLiteral("Caption")]
                  .toString(),
              QStringLiteral("券なし"));
    EXPECT_EQ(
        after[QStringLiteral("options")].toObject()[QStringLiteral("On1ImageFile")].toString(),
        panelFile);
    EXPECT_TRUE(after[QStringLiteral("frmCtl")]
                    .toObject()[QStringLiteral("enabled")]
                    .toObject()[QStringLiteral("Frame6")]
                    .toBool());
    const QImage board(shot);
    ASSERT_FALSE(board.isNull());
    EXPECT_EQ(board.pixelColor(300, 330), QColor(10, 200, 30)); // the user panel shows
}

// The sound library must not swallow the usual ways of ending a program.
TEST_F(EndToEnd, TerminateEndsTheProgram) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--settings"), dir.filePath(QStringLiteral("t.in4"))});
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(1500);
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(5000));
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
}

// A trip on demo route 105 with the barcode ticket: chosen on the options page, drawn at
// every step with that stop's ticket number, and gone from the settings once removed.
TEST_F(EndToEnd, TicketPreviewFollowsTheTripAndARemovedPluginIsSavedEmpty) {
    const QString plugin = QStringLiteral(DEMO_DIR "/plugins/barcode.4SP");
    const QString t1 = dir.filePath(QStringLiteral("t1.png"));
    const QString t2 = dir.filePath(QStringLiteral("t2.png"));
    const RunResult r = run(
        demo() + QStringLiteral("clock 2026-12-07 08:15:30\nsettings\nclick frmOption.Option1(5)\n"
                                "click frmOption.chkUseSeiriPrev\nanswer file %1\n"
                                "click frmOption.Command1\nok\npreview on\n"
                                "key route\nkey 1\nkey 0\nkey 5\nkey section\nkey 1\nreset keypad\n"
                                "snapshot ticket %2\nstate\ncompany 2\nnext\nsnapshot ticket %3\n"
                                "state\nsettings\nclick frmOption.Command11\nok\nquit\n")
                     .arg(plugin, t1, t2));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 2u);
    const QJsonObject panel = r.states[0][QStringLiteral("frmCtl")].toObject();
    const QJsonObject prev = panel[QStringLiteral("picSeirikenPrev")].toObject();
    EXPECT_EQ(prev[QStringLiteral("width")].toInt(), 3300);
    EXPECT_EQ(prev[QStringLiteral("height")].toInt(), 3000);
    EXPECT_TRUE(prev[QStringLiteral("drawn")].toBool());
    const QJsonObject combo = panel[QStringLiteral("Combo1")].toObject();
    EXPECT_EQ(combo[QStringLiteral("index")].toInt(), 0);
    EXPECT_EQ(combo[QStringLiteral("items")].toArray().size(), 3);
    const QJsonObject controls =
        r.states[0][QStringLiteral("frmOption")][QStringLiteral("controls")].toObject();
    EXPECT_EQ(controls[QStringLiteral("List1")][QStringLiteral("items")].toArray().size(), 10);
    EXPECT_TRUE(
        controls[QStringLiteral("txtPlginComment")][QStringLiteral("value")].toString().startsWith(
            QStringLiteral("精算機で")));

    // Each step's ticket: its own number and stop in the code-128 data (route, row, ticket).
    const QImage a(t1), b(t2);
    ASSERT_EQ(a.size(), QSize(218, 198));
    ASSERT_EQ(b.size(), a.size());
    EXPECT_NE(a, b);
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                                           QStringLiteral("-Scode128.enable"), t1, t2});
    ASSERT_TRUE(zbar.waitForFinished(30000));
    EXPECT_EQ(
        QString::fromUtf8(zbar.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
        (QStringList{QStringLiteral("CODE-128:105001001"), QStringLiteral("CODE-128:105002002")}));

    QFile saved(dir.filePath(QStringLiteral("test.in4")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_FALSE(saved.readAll().contains("barcode.4SP"));
}

// A recorded auto run of demo route 105, as a user would make one: the file as players
// see it, and the frame at a moment against the snapshot taken at that moment.
TEST_F(EndToEnd, RecordedAutoRunPlaysInStepWithTheBoard) {
    const QString video = dir.filePath(QStringLiteral("trip.mp4"));
    const QString shot = dir.filePath(QStringLiteral("at12.png"));
    const QString sounds = QStringLiteral(DEMO_DIR "/sounds/");
    const RunResult r = run(
        demo() + QStringLiteral("option BroadcastDataFolder %1\noption PreSoundFile %2chime.wav\n"
                                "option StepSoundFile %2step.wav\napply\n"
                                "key route\nkey 1\nkey 0\nkey 5\nkey section\nkey 1\nreset keypad\n"
                                "auto start 3\nat 00:12 state\nsnapshot board %3\nat 00:20 state\n")
                     .arg(QStringLiteral(DEMO_DIR), sounds, shot),
        {QStringLiteral("--record"), video});
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 2u);
    const QJsonObject rec = r.states[0][QStringLiteral("recording")].toObject();
    EXPECT_EQ(rec[QStringLiteral("file")].toString(), video);
    EXPECT_TRUE(r.states[1][QStringLiteral("auto")][QStringLiteral("running")].toBool());
    // Frames are dropped only when the encoder falls behind: rare even with the other
    // tests running beside this one.
    const QJsonObject end = r.states[1][QStringLiteral("recording")].toObject();
    EXPECT_LE(end[QStringLiteral("dropped")].toInt(), end[QStringLiteral("frames")].toInt() / 50);
    EXPECT_GE(end[QStringLiteral("frames")].toInt(), 550);
    EXPECT_GT(r.states[1][QStringLiteral("CurrentRow")].toInt(), 1);

    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                 QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"),
                 video});
    ASSERT_TRUE(probe.waitForFinished(30000));
    const QJsonObject info = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
    QJsonObject v, a;
    for (const auto& s : info[QStringLiteral("streams")].toArray()) {
        const QJsonObject o = s.toObject();
        (o[QStringLiteral("codec_type")].toString() == QLatin1String("video") ? v : a) = o;
    }
    EXPECT_EQ(v[QStringLiteral("codec_name")].toString(), QStringLiteral("h264"));
    EXPECT_EQ(v[QStringLiteral("r_frame_rate")].toString(), QStringLiteral("30/1"));
    EXPECT_EQ(v[QStringLiteral("width")].toInt(), 582);
    EXPECT_EQ(a[QStringLiteral("codec_name")].toString(), QStringLiteral("aac"));
    EXPECT_NEAR(v[QStringLiteral("start_time")].toString().toDouble(),
                a[QStringLiteral("start_time")].toString().toDouble(), 1.0 / 30);
    const double duration =
        info[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble();
    EXPECT_GE(duration, 19.5);
    EXPECT_NEAR(v[QStringLiteral("duration")].toString().toDouble(),
                a[QStringLiteral("duration")].toString().toDouble(), 0.1);

    // The frame a tenth of a second after the snapshot's moment shows what it shows.
    const double at = rec[QStringLiteral("seconds")].toDouble() + 0.1;
    const QString frame = dir.filePath(QStringLiteral("frame.png"));
    QProcess ff;
    ff.start(QStringLiteral("ffmpeg"),
             {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
              QStringLiteral("-ss"), QString::number(at), QStringLiteral("-i"), video,
              QStringLiteral("-frames:v"), QStringLiteral("1"), frame});
    ASSERT_TRUE(ff.waitForFinished(30000));
    const QImage got = QImage(frame).convertToFormat(QImage::Format_RGB32);
    const QImage want = QImage(shot).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(got.size(), want.size());
    EXPECT_LT(meanDifference(got, want), 4.0);
}

// 放送を区間に合わせる: a route set from section 3 has its announcements start there, so
// the next 送り names stop 4 and steps the board to it.
TEST_F(EndToEnd, AnnouncementsFollowTheStartSectionWhenAsked) {
    RunResult r = run(demo() + QStringLiteral("option BroadcastDataFolder %1\noption TapeFollowsSection 1\n"
                                              "key route\nkey 1\nkey section\nkey 3\nreset keypad\n"
                                              "state\ntape next\nstate\n")
                                   .arg(QStringLiteral(DEMO_DIR)));
    ASSERT_EQ(r.exitCode, 0) << r.stderrText.toStdString();
    ASSERT_EQ(r.states.size(), 2u);
    const QJsonObject tape = r.states[0][QStringLiteral("mdlM_Tape")].toObject();
    if (!tape[QStringLiteral("SpeechUsable")].toBool())
        GTEST_SKIP() << "no Japanese voice installed: announcements are off on this machine";
    EXPECT_EQ(r.states[0][QStringLiteral("CurrentRow")].toInt(), 3);
    EXPECT_EQ(tape[QStringLiteral("position")].toInt(), 3);
    const QJsonObject after = r.states[1];
    EXPECT_EQ(after[QStringLiteral("CurrentRow")].toInt(), 4);
    const QString said = after[QStringLiteral("mdlM_Tape")][QStringLiteral("lastText")].toString();
    EXPECT_TRUE(said.contains(after[QStringLiteral("ChimeiCtl")][QStringLiteral("name")].toString()))
        << said.toStdString();
}
