// Other programs driving the real simulator over its WebSocket: commands and their
// answers, the events every client sees in order, following the bus, and the doors that
// stay shut (foreign pages, a missing token, bad or oversized messages).
#include "RemoteRig.h"

using namespace remoterig;

TEST(Remote, ARouteAndThreeStepsReachEveryClientInOrderWithTheBoardsFares) {
    Simulator sim;
    ASSERT_FALSE(sim.address.isEmpty()) << sim.out.toStdString();
    Client a(sim.address), b(sim.address);
    ASSERT_TRUE(a.hello());
    ASSERT_TRUE(b.hello());
    EXPECT_TRUE(
        a.messages[0][QStringLiteral("state")].toObject().contains(QStringLiteral("Degit")));
    setRoute(a);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(a.run(QStringLiteral("next"))[QStringLiteral("ok")].toBool());
    const QJsonObject state = a.run(QStringLiteral("state"))[QStringLiteral("result")].toObject();
    EXPECT_EQ(state[QStringLiteral("CurrentRow")].toInt(), 4);
    ASSERT_TRUE(waitUntil([&] { return b.events(QStringLiteral("stop")).size() >= 4; }));

    // The same events, in the same order, on both; the route before its first stop.
    const QStringList names = a.eventNames();
    EXPECT_EQ(names, b.eventNames());
    EXPECT_LT(names.indexOf(QStringLiteral("route")), names.indexOf(QStringLiteral("stop")));
    const QJsonObject route = a.events(QStringLiteral("route"))[0];
    EXPECT_EQ(route[QStringLiteral("route")], QStringLiteral("1"));
    EXPECT_EQ(route[QStringLiteral("section")].toInt(), 1);
    EXPECT_EQ(route[QStringLiteral("rows")].toInt(), 14);
    const auto stops = a.events(QStringLiteral("stop"));
    ASSERT_EQ(stops.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stops[static_cast<size_t>(i)][QStringLiteral("row")].toInt(), i + 1);
    EXPECT_EQ(stops[0][QStringLiteral("name")], QStringLiteral("ミナモ駅"));
    EXPECT_FALSE(stops[0][QStringLiteral("prefix")].toBool());

    // The last stop's fares are what the board shows, a cell at a time.
    const QJsonArray fares = stops[3][QStringLiteral("fares")].toArray();
    const QJsonArray digits = state[QStringLiteral("Degit")].toArray();
    ASSERT_EQ(fares.size(), 32);
    int lit = 0;
    for (int n = 0; n < 32; ++n) {
        const QString shown = digits[n].toObject()[QStringLiteral("lit")].toString().trimmed();
        if (shown.isEmpty()) {
            EXPECT_TRUE(fares[n].isNull()) << n;
        } else {
            EXPECT_EQ(fares[n].toDouble(), shown.toDouble()) << n;
            ++lit;
        }
    }
    EXPECT_GT(lit, 0);
    EXPECT_FALSE(a.events(QStringLiteral("sound")).empty());

    // A command stands for its click: blanking locks the stepping buttons.
    ASSERT_TRUE(a.run(QStringLiteral("blank on"))[QStringLiteral("ok")].toBool());
    a.run(QStringLiteral("next"));
    EXPECT_EQ(a.run(QStringLiteral("state"))[QStringLiteral("result")][QStringLiteral("CurrentRow")]
                  .toInt(),
              4);
    EXPECT_EQ(a.events(QStringLiteral("blank")).back()[QStringLiteral("on")], true);
    EXPECT_EQ(a.run(QStringLiteral("fly"))[QStringLiteral("error")],
              QStringLiteral("unknown command"));
}

TEST(Remote, DoorsClosingAndMovingOffStepOnceAndOnlyOnce) {
    Simulator sim;
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    setRoute(c);
    ASSERT_TRUE(c.run(QStringLiteral("follow on"))[QStringLiteral("ok")].toBool());
    const size_t before = c.events(QStringLiteral("stop")).size();
    for (const char* t : {R"({"telemetry": {"doors": "open", "speedKmh": 0}})",
                          R"({"telemetry": {"doors": "closed", "speedKmh": 2}})",
                          R"({"telemetry": {"doors": "closed", "speedKmh": 18}})",
                          R"({"telemetry": {"doors": "closed", "speedKmh": 18}})",
                          R"({"telemetry": {"doors": "closed", "speedKmh": 35}})"})
        c.socket.sendTextMessage(QString::fromLatin1(t));
    const QJsonObject state = c.run(QStringLiteral("state"))[QStringLiteral("result")].toObject();
    EXPECT_EQ(state[QStringLiteral("CurrentRow")].toInt(), 2);
    EXPECT_EQ(c.events(QStringLiteral("stop")).size(), before + 1);
    // `stop` puts the board on that row at once.
    c.socket.sendTextMessage(QStringLiteral(R"({"telemetry": {"stop": 7}})"));
    EXPECT_EQ(c.run(QStringLiteral("state"))[QStringLiteral("result")][QStringLiteral("CurrentRow")]
                  .toInt(),
              7);
}

TEST(Remote, ForeignPagesBadMessagesAndFloodsCostOnlyTheirOwnConnection) {
    Simulator sim;
    Client foreign(sim.address, QStringLiteral("http://example.com"));
    EXPECT_FALSE(foreign.hello());
    const QString port = sim.address.section(QLatin1Char(':'), 2).section(QLatin1Char('/'), 0, 0);
    Client ownPage(sim.address, QStringLiteral("http://127.0.0.1:") + port);
    EXPECT_TRUE(ownPage.hello());

    Client good(sim.address), bad(sim.address);
    ASSERT_TRUE(good.hello());
    ASSERT_TRUE(bad.hello());
    bad.socket.sendTextMessage(QStringLiteral("{not json"));
    ASSERT_TRUE(waitUntil([&] { return bad.messages.size() >= 2; }));
    EXPECT_FALSE(bad.messages.back()[QStringLiteral("ok")].toBool());
    EXPECT_TRUE(bad.messages.back()[QStringLiteral("error")].toString().startsWith(
        QStringLiteral("not JSON")));
    bad.socket.sendTextMessage(QString(10 * 1024 * 1024, QLatin1Char('x')));
    EXPECT_TRUE(waitUntil([&] { return bad.closed; }));
    // More messages in a second than any bus sends: that client is cut off.
    Client flood(sim.address);
    ASSERT_TRUE(flood.hello());
    for (int i = 0; i < 6000; ++i)
        flood.socket.sendTextMessage(QStringLiteral(R"({"telemetry": {}})"));
    EXPECT_TRUE(waitUntil([&] { return flood.closed; }));
    EXPECT_TRUE(good.run(QStringLiteral("backlight 1"))[QStringLiteral("ok")].toBool());
    EXPECT_FALSE(good.closed);
}

TEST(Remote, OnTheNetworkAClientWithoutTheTokenIsRefused) {
    Simulator sim({QStringLiteral("--serve-lan")});
    const QRegularExpression token(QStringLiteral("\\?token=([0-9a-f]{32})"));
    const auto m = token.match(sim.address);
    ASSERT_TRUE(m.hasMatch()) << sim.address.toStdString();
    const QString port =
        sim.plainAddress().section(QLatin1Char(':'), 2).section(QLatin1Char('/'), 0, 0);
    const QString local = QStringLiteral("ws://127.0.0.1:%1/").arg(port);
    Client without(local);
    EXPECT_FALSE(without.hello());
    Client wrong(local + QStringLiteral("?token=0123"));
    EXPECT_FALSE(wrong.hello());
    Client with(local + QStringLiteral("?token=") + m.captured(1));
    EXPECT_TRUE(with.hello());
}

TEST(Remote, AReplayedTelemetryLogGivesTheSameStateEveryTime) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("trip.jsonl"));
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"t": 0.0, "telemetry": {"doors": "open", "speedKmh": 0, "distanceToNextStopM": 420}}
{"t": 0.2, "telemetry": {"doors": "closed", "speedKmh": 14, "distanceToNextStopM": 400}}
{"t": 0.4, "telemetry": {"doors": "closed", "speedKmh": 30, "distanceToNextStopM": 150}}
{"t": 0.6, "telemetry": {"doors": "open", "speedKmh": 0, "distanceToNextStopM": 0}}
{"t": 0.8, "telemetry": {"doors": "closed", "speedKmh": 9, "distanceToNextStopM": 380}}
{"t": 1.0, "telemetry": {"stop": 6}}
)");
    f.close();
    auto dump = [&](const QString& name) {
        Simulator sim;
        const QString out = dir.filePath(name);
        for (const QString& line :
             {QStringLiteral("clock 2026-12-09 10:00:00"), QStringLiteral("key route"),
              QStringLiteral("key 1"), QStringLiteral("key section"), QStringLiteral("key 1"),
              QStringLiteral("reset keypad"), QStringLiteral("replay ") + log,
              QStringLiteral("auto wait"), QStringLiteral("state ") + out})
            sim.script(line);
        QJsonObject o;
        // The dump is whole once it ends its line.
        waitUntil(
            [&] {
                QFile in(out);
                if (!in.open(QIODevice::ReadOnly))
                    return false;
                const QByteArray text = in.readAll();
                o = QJsonDocument::fromJson(text).object();
                return text.endsWith('\n') && !o.isEmpty();
            },
            30000);
        // What measures time itself differs from run to run: the UI's stalls, the audio
        // rendered so far, the simulator's time of the dump, where a long name's scrolling
        // has got to.
        o.remove(QStringLiteral("ui"));
        o.remove(QStringLiteral("clock"));
        QJsonObject snd = o[QStringLiteral("mdlSndAPI")].toObject();
        snd.remove(QStringLiteral("renderedSeconds"));
        o[QStringLiteral("mdlSndAPI")] = snd;
        QJsonObject remote = o[QStringLiteral("remote")].toObject();
        remote.remove(QStringLiteral("port"));
        o[QStringLiteral("remote")] = remote;
        QJsonObject line = o[QStringLiteral("ChimeiCtl")].toObject();
        line.remove(QStringLiteral("stripLeft"));
        o[QStringLiteral("ChimeiCtl")] = line;
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    };
    const QByteArray first = dump(QStringLiteral("1.json"));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(QJsonDocument::fromJson(first)[QStringLiteral("CurrentRow")].toInt(), 6);
    EXPECT_EQ(dump(QStringLiteral("2.json")), first);
}

// Following the bus on a route with a broadcast list: leaving the first stop plays the
// welcome, each approach announces the next stop and steps the board to it, once; every
// announcement names the stop the board then shows.
TEST(Remote, WithABroadcastListEachApproachAnnouncesAndStepsOnce) {
    Simulator sim;
    sim.script(QStringLiteral("option BroadcastDataFolder %1").arg(QStringLiteral(DEMO_DIR)));
    Client c(sim.address);
    ASSERT_TRUE(c.hello());
    setRoute(c);
    const QJsonObject start = c.run(QStringLiteral("state"))[QStringLiteral("result")].toObject();
    if (!start[QStringLiteral("mdlM_Tape")][QStringLiteral("SpeechUsable")].toBool())
        GTEST_SKIP() << "no Japanese voice installed: announcements are off on this machine";
    ASSERT_TRUE(c.run(QStringLiteral("follow on"))[QStringLiteral("ok")].toBool());
    const QStringList stop = {
        QStringLiteral(
            R"({"telemetry": {"doors": "open", "speedKmh": 0, "distanceToNextStopM": 400}})"),
        QStringLiteral(
            R"({"telemetry": {"doors": "closed", "speedKmh": 18, "distanceToNextStopM": 380}})"),
        QStringLiteral(
            R"({"telemetry": {"doors": "closed", "speedKmh": 30, "distanceToNextStopM": 150}})"),
        QStringLiteral(
            R"({"telemetry": {"doors": "closed", "speedKmh": 0, "distanceToNextStopM": 0}})")};
    const int stops = 4;
    for (int k = 0; k < stops; ++k)
        for (const QString& t : stop)
            c.socket.sendTextMessage(t);
    const QJsonObject end = c.run(QStringLiteral("state"))[QStringLiteral("result")].toObject();
    EXPECT_EQ(end[QStringLiteral("CurrentRow")].toInt(), 1 + stops);
    // The welcome, then one line per stop.
    EXPECT_EQ(end[QStringLiteral("mdlM_Tape")][QStringLiteral("position")].toInt(), 1 + stops);
    EXPECT_EQ(c.events(QStringLiteral("stop")).size(), static_cast<size_t>(1 + stops));
    ASSERT_TRUE(waitUntil([&] { return c.events(QStringLiteral("announce")).size() >= 2; }));
    // Each 「次は」 line names the stop the board showed right after it.
    const auto stopsSeen = c.events(QStringLiteral("stop"));
    int named = 0;
    for (const QJsonObject& a : c.events(QStringLiteral("announce"))) {
        const QString text = a[QStringLiteral("text")].toString();
        if (a[QStringLiteral("phase")] != QStringLiteral("start") ||
            !text.startsWith(QStringLiteral("次は")))
            continue;
        const int row = a[QStringLiteral("line")].toInt(); // line k names row k
        for (const QJsonObject& s : stopsSeen) {
            if (s[QStringLiteral("row")].toInt() == row) {
                EXPECT_TRUE(text.contains(s[QStringLiteral("name")].toString()))
                    << text.toStdString();
            }
        }
        ++named;
    }
    EXPECT_GE(named, 1);
}
