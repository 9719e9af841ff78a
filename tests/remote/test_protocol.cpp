// The control protocol as data: every kind of request a client may send, good and bad,
// and following the bus from telemetry, without a socket.
#include "Protocol.h"
#include "TelemetryFollower.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace remote;

TEST(Protocol, GoodRequestsAreReadAsTheyWereMeant) {
    const Request run = parseRequest(R"({"id": 7, "run": "  key route "})");
    ASSERT_TRUE(std::holds_alternative<RunRequest>(run));
    EXPECT_EQ(std::get<RunRequest>(run).id, QJsonValue(7));
    EXPECT_EQ(std::get<RunRequest>(run).line, QStringLiteral("key route"));
    const Request named = parseRequest(R"({"id": "a-1", "run": "state"})");
    ASSERT_TRUE(std::holds_alternative<RunRequest>(named));
    EXPECT_EQ(std::get<RunRequest>(named).id, QJsonValue(QStringLiteral("a-1")));

    const Request t = parseRequest(
        R"({"telemetry": {"doors": "closed", "speedKmh": 23.5, "stop": 4, "distanceToNextStopM": 180}})");
    ASSERT_TRUE(std::holds_alternative<Telemetry>(t));
    const Telemetry& tel = std::get<Telemetry>(t);
    EXPECT_EQ(tel.doorsOpen, false);
    EXPECT_EQ(tel.speedKmh, 23.5);
    EXPECT_EQ(tel.stop, 4);
    EXPECT_EQ(tel.distanceToNextStopM, 180.0);
    EXPECT_EQ(std::get<Telemetry>(parseRequest(R"({"telemetry": {}})")), Telemetry{});
}

TEST(Protocol, EachMalformedKindIsAnsweredWithWhatIsWrong) {
    const struct {
        const char* text;
        const char* error; // a part of the answer's message
        bool keepsId;
    } cases[] = {
        {"{\"id\": 1, \"run\": ", "not JSON", false},
        {"[1, 2]", "a JSON object", false},
        {"{\"run\": \"next\"}", "missing field \"id\"", false},
        {"{\"id\": true, \"run\": \"next\"}", "missing field \"id\"", false},
        {"{\"id\": 3}", "missing field \"run\"", true},
        {"{\"id\": 3, \"run\": 5}", "missing field \"run\"", true},
        {"{\"id\": 3, \"run\": \"   \"}", "one command line", true},
        {"{\"id\": 3, \"run\": \"next\\nquit\"}", "one command line", true},
        {"{\"telemetry\": 5}", "must be an object", false},
        {"{\"telemetry\": {\"doors\": \"ajar\"}}", "\"doors\"", false},
        {"{\"telemetry\": {\"speedKmh\": -3}}", "\"speedKmh\"", false},
        {"{\"telemetry\": {\"speedKmh\": \"fast\"}}", "\"speedKmh\"", false},
        {"{\"telemetry\": {\"stop\": 2.5}}", "\"stop\"", false},
        {"{\"telemetry\": {\"stop\": 0}}", "\"stop\"", false},
        {"{\"telemetry\": {\"gear\": 3}}", "unknown telemetry field \"gear\"", false},
        {"{\"telemetry\": {}, \"id\": 9}", "\"telemetry\" alone", true},
    };
    for (const auto& c : cases) {
        const Request r = parseRequest(QByteArray(c.text));
        ASSERT_TRUE(std::holds_alternative<BadRequest>(r)) << c.text;
        const BadRequest& bad = std::get<BadRequest>(r);
        EXPECT_TRUE(bad.error.contains(QString::fromUtf8(c.error)))
            << c.text << " -> " << bad.error.toStdString();
        EXPECT_EQ(!bad.id.isUndefined() && !bad.id.isNull(), c.keepsId) << c.text;
    }
    const QByteArray huge = "{\"id\": 1, \"run\": \"" + QByteArray(kMaxMessageBytes, 'x') + "\"}";
    EXPECT_EQ(std::get<BadRequest>(parseRequest(huge)).error, QStringLiteral("message too large"));
}

TEST(Protocol, AnswersAndEventsAreOneCompactObjectEach) {
    EXPECT_EQ(okAnswer(7, QJsonValue()), QByteArray(R"({"id":7,"ok":true,"result":null})"));
    EXPECT_EQ(errorAnswer(QJsonValue(), QStringLiteral("unknown command")),
              QByteArray(R"({"error":"unknown command","id":null,"ok":false})"));
    EXPECT_EQ(eventMessage(QStringLiteral("blank"), {{QStringLiteral("on"), true}}),
              QByteArray(R"({"event":"blank","on":true})"));
}

namespace {
Telemetry tel(std::optional<bool> open, std::optional<double> kmh,
              std::optional<double> distance = std::nullopt,
              std::optional<int> stop = std::nullopt) {
    Telemetry t;
    t.doorsOpen = open;
    t.speedKmh = kmh;
    t.distanceToNextStopM = distance;
    t.stop = stop;
    return t;
}
} // namespace

TEST(TelemetryFollower, StepsOnceWhenTheDoorsCloseAndTheBusMovesOff) {
    TelemetryFollower f;
    using A = TelemetryFollower::Actions;
    EXPECT_EQ(f.update(tel(false, 30), 1), A{}); // never seen open: nothing to leave
    EXPECT_EQ(f.update(tel(true, 0), 1), A{});
    EXPECT_EQ(f.update(tel(false, 3), 1), A{}); // closed, still creeping
    EXPECT_EQ(f.update(tel(false, 12), 1), (A{std::nullopt, true, false}));
    EXPECT_EQ(f.update(tel(false, 12), 2), A{}); // the same message again
    EXPECT_EQ(f.update(tel(false, 40), 2), A{}); // faster is not another stop
    EXPECT_EQ(f.update(tel(true, 0), 2), A{});
    EXPECT_EQ(f.update(tel(false, 6), 2), (A{std::nullopt, true, false}));
}

TEST(TelemetryFollower, AnnouncesOncePerApproachAndJumpsToANamedStop) {
    TelemetryFollower f;
    f.setAnnounceDistance(150);
    using A = TelemetryFollower::Actions;
    EXPECT_EQ(f.update(tel(false, 40, 400), 1), A{});
    EXPECT_EQ(f.update(tel(false, 40, 149), 1), (A{std::nullopt, false, true}));
    EXPECT_EQ(f.update(tel(false, 20, 60), 1), A{});
    EXPECT_EQ(f.update(tel(false, 20, 60), 1), A{});
    EXPECT_EQ(f.update(tel(false, 30, 500), 1), A{}); // past it: the next approach counts
    EXPECT_EQ(f.update(tel(false, 30, 100), 1), (A{std::nullopt, false, true}));
    EXPECT_EQ(f.update(tel(std::nullopt, std::nullopt, std::nullopt, 5), 1), (A{5, false, false}));
    EXPECT_EQ(f.update(tel(std::nullopt, std::nullopt, std::nullopt, 5), 5), A{});
    // A jump is where the bus is: opening there and moving off steps from it once.
    EXPECT_EQ(f.update(tel(true, 0, std::nullopt, 6), 5), (A{6, false, false}));
    EXPECT_EQ(f.update(tel(false, 10, std::nullopt, 6), 6), (A{std::nullopt, true, false}));
}

// With a broadcast list the board moves only through 送り (each line's flag deciding);
// without one only through データ送り: a stop is never stepped twice.
TEST(TelemetryFollower, ABroadcastListMovesTheBoardThroughItsLinesAlone) {
    using M = TelemetryFollower::Move;
    struct Row {
        const char* name;
        bool list;
        int nextFlag;
        M movingOff, approach;
    };
    const Row rows[] = {
        {"no list", false, -1, M::DataStep, M::Nothing},
        {"welcome next (does not step)", true, 0, M::TapeNext, M::TapeNext},
        {"a stop's line next (steps)", true, 1, M::Nothing, M::TapeNext},
        {"list spoken to its end", true, -1, M::Nothing, M::Nothing},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(TelemetryFollower::onMovingOff(r.list, r.nextFlag), r.movingOff) << r.name;
        EXPECT_EQ(TelemetryFollower::onApproach(r.list, r.nextFlag), r.approach) << r.name;
    }
}
