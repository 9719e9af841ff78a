// The program on one clock and one queue: a command from anywhere waits behind the lamp
// test instead of running inside it, a virtual run repeats to the byte, and the demo's
// board and announcements stay in step.
#include "RemoteRig.h"

#include <QCryptographicHash>

using namespace remoterig;

namespace {

QProcessEnvironment quietScreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    return env;
}

// A script from the demo's folder with `extra` lines after it, run unattended on virtual
// time; the last state it printed, and the WAV's bytes when `wav` is named.
struct VirtualRun {
    QJsonObject state;
    QByteArray wavHash;
    int exitCode = -1;
};

VirtualRun runVirtual(const QString& script, const QByteArray& extra, const QString& dir,
                      const QString& wav = {}) {
    QFile f(script);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QProcess p;
    p.setProcessEnvironment(quietScreen());
    p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
    QStringList args{QStringLiteral("--unattended"), QStringLiteral("--virtual-time"),
                     QStringLiteral("--settings"), dir + QStringLiteral("/run.in4"),
                     QStringLiteral("--script"), QStringLiteral("-")};
    if (!wav.isEmpty())
        args << QStringLiteral("--audio-out") << wav;
    p.start(QStringLiteral(SIMULATOR), args);
    p.write(f.readAll() + "\n" + extra);
    p.closeWriteChannel();
    VirtualRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitCode();
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    r.state = QJsonDocument::fromJson(lines.value(lines.size() - 1)).object();
    QFile w(wav);
    if (!wav.isEmpty() && w.open(QIODevice::ReadOnly))
        r.wavHash = QCryptographicHash::hash(w.readAll(), QCryptographicHash::Sha256);
    return r;
}

// What measures the machine or the wall's day rather than the trip.
QJsonObject withoutMachineFields(QJsonObject s) {
    s.remove(QStringLiteral("ui"));
    s.remove(QStringLiteral("RouteDate"));
    QJsonObject o = s[QStringLiteral("options")].toObject();
    o.remove(QStringLiteral("FixedDateText"));
    s[QStringLiteral("options")] = o;
    return s;
}

} // namespace

// A client's `next` sent a second into the lamp test waits for it: the route starts at its
// start section and the step follows, each stop shown once.
TEST(OneClock, ACommandSentDuringTheLampTestRunsAfterIt) {
    Simulator sim;
    sim.script(QStringLiteral("option RouteSetSound %1/sounds/route_set.wav").arg(QStringLiteral(DEMO_DIR)));
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    for (const char* line : {"key route", "key 1", "key section", "key 2"})
        ASSERT_TRUE(c.run(QString::fromLatin1(line))[QStringLiteral("ok")].toBool()) << line;
    c.socket.sendTextMessage(QStringLiteral(R"({"id":100,"run":"reset keypad"})"));
    waitUntil([] { return false; }, 1000);
    const QJsonObject next = c.run(QStringLiteral("next"));
    ASSERT_TRUE(next[QStringLiteral("ok")].toBool());
    ASSERT_TRUE(waitUntil([&] { return c.events(QStringLiteral("stop")).size() >= 2; }));
    const auto stops = c.events(QStringLiteral("stop"));
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[0][QStringLiteral("row")].toInt(), 2);
    EXPECT_EQ(stops[1][QStringLiteral("row")].toInt(), 3);
    EXPECT_EQ(c.events(QStringLiteral("route"))[0][QStringLiteral("section")].toInt(), 2);
    // The reset's chime marks the moment of the reset on the simulator's clock.
    int64_t resetMs = -1;
    for (const QJsonObject& s : c.events(QStringLiteral("sound")))
        if (s[QStringLiteral("file")].toString().endsWith(QStringLiteral("route_set.wav")))
            resetMs = s[QStringLiteral("ms")].toInteger();
    ASSERT_GE(resetMs, 0);
    EXPECT_GE(stops[0][QStringLiteral("ms")].toInteger() - resetMs, 3000);
    EXPECT_GE(stops[1][QStringLiteral("ms")].toInteger(), stops[0][QStringLiteral("ms")].toInteger());
}

// The demo's recorded trip on virtual time, three times: the same sound to the byte and
// the same state, the trip's 95 seconds reached in each.
TEST(OneClock, AVirtualRunRepeatsToTheByte) {
    QTemporaryDir dir;
    std::vector<VirtualRun> runs;
    for (int i = 0; i < 3; ++i) {
        const QString sub = dir.filePath(QString::number(i));
        QDir().mkpath(sub);
        runs.push_back(runVirtual(QStringLiteral(DEMO_DIR "/record.script"), "state\n", sub,
                                  sub + QStringLiteral("/trip.wav")));
        ASSERT_EQ(runs.back().exitCode, 0);
    }
    const QJsonObject clock = runs[0].state[QStringLiteral("clock")].toObject();
    EXPECT_EQ(clock[QStringLiteral("mode")].toString(), QStringLiteral("virtual"));
    EXPECT_GT(clock[QStringLiteral("ms")].toInteger(), 90000);
    EXPECT_EQ(runs[0].state[QStringLiteral("CurrentRow")].toInt(),
              runs[0].state[QStringLiteral("RowCount")].toInt());
    ASSERT_FALSE(runs[0].wavHash.isEmpty());
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(runs[i].wavHash, runs[0].wavHash) << "run " << i;
        EXPECT_EQ(withoutMachineFields(runs[i].state), withoutMachineFields(runs[0].state))
            << "run " << i;
    }
}

// After the demo's start, each 送り speaks the stop the board then shows.
TEST(OneClock, TheDemoStartKeepsTheBoardAndTheAnnouncementsInStep) {
    QTemporaryDir dir;
    QByteArray extra;
    for (int i = 0; i < 4; ++i)
        extra += "tape next\nstate\n";
    QFile f(QStringLiteral(DEMO_DIR "/start.script"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QProcess p;
    p.setProcessEnvironment(quietScreen());
    p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--unattended"), QStringLiteral("--virtual-time"),
             QStringLiteral("--settings"), dir.filePath(QStringLiteral("d.in4")),
             QStringLiteral("--script"), QStringLiteral("-")});
    p.write(f.readAll() + "\n" + extra);
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(120000));
    int seen = 0;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QJsonObject s = QJsonDocument::fromJson(line).object();
        if (!s.contains(QStringLiteral("mdlM_Tape")))
            continue;
        ++seen;
        const QString name = s[QStringLiteral("ChimeiCtl")][QStringLiteral("name")].toString();
        const QString said = s[QStringLiteral("mdlM_Tape")][QStringLiteral("lastText")].toString();
        EXPECT_TRUE(said.startsWith(QStringLiteral("次は、") + name) ||
                    said.startsWith(QStringLiteral("次は、終点、") + name))
            << said.toStdString() << " / " << name.toStdString();
    }
    EXPECT_EQ(seen, 4);
}
