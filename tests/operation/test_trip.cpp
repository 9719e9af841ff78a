// The trip controller without any widget: what it asks of the board, in which order.
#include "AutoRun.h"
#include "CommandQueue.h"
#include "Cp932.h"
#include "Hy3Builder.h"
#include "Limits.h"
#include "Options.h"
#include "PanelState.h"
#include "Recorders.h"
#include "RecordingBoard.h"
#include "TicketPreview.h"
#include "Trip.h"
#include "VirtualTime.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Keeps the arguments of every ticket drawn; the plug-in renames the stop when asked to.
class RecordingPreview : public TicketPreview {
  public:
    std::vector<SeirikenArgs> drawn;
    int cleared = 0;
    QByteArray rename;
    void clear() override { ++cleared; }
    void draw(SeirikenArgs& args) override {
        drawn.push_back(args);
        if (!rename.isEmpty())
            args.stopName = rename;
    }
};

class TripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        options.FareDataFolder = dir.path();
        options.RouteSetSound = QStringLiteral("route.wav");
        options.TsugiwaDisplay = 2;
        writeBytes(dir.filePath(QStringLiteral("7.hy3")),
                   hy3::write(makeRoute(4, [](int r, int c) -> int16_t {
                       return c == 3 ? -1 : static_cast<int16_t>(100 * r + c);
                   })));
    }
    Trip make() {
        Trip::Services s{board, options, sound, tape, &queue};
        clock.stopAt(QDateTime(QDate(2026, 12, 7), QTime(7, 5, 9)));
        s.clock = &clock;
        s.preview = &preview;
        s.panel = &panel;
        return Trip(s);
    }
    // Route setting with its lamp test over.
    Outcome setRoute(Trip& t, EntryPage page) {
        const Outcome o = t.setRoute(page);
        if (o.ok)
            vt::runUntil([&] { return t.routeSet(); }, limits::kLampTestMs);
        return o;
    }
    void enter(Trip& t, std::initializer_list<int> keys) {
        for (int k : keys)
            t.pressKey(k);
    }

    QTemporaryDir dir;
    CommandQueue queue{SimClock::global()};
    Options options;
    Clock clock;
    PanelState panel;
    RecordingPreview preview;
    RecordingBoard board;
    RecordingSound sound;
    RecordingTape tape;
};

} // namespace

TEST_F(TripTest, RouteSettingRunsTheLampTestThenShowsTheStartingStop) {
    Trip t = make();
    enter(t, {10, 7, 11, 2});
    const int64_t set = SimClock::global().nowMs();
    const Outcome o = t.setRoute(EntryPage::Keypad);
    ASSERT_TRUE(o.ok) << o.message.toStdString();
    // Prefix off while "系統選別中" shows, the element keeps the old mode afterwards.
    const int lamp = static_cast<int>(board.log.indexOf(QStringLiteral("lamp 1")));
    EXPECT_EQ(board.log.at(lamp - 1), QStringLiteral("name 系統選別中 0 0"));
    // The lamp test holds the queue for three seconds of the simulator's time; the route
    // is set when it is over.
    EXPECT_EQ(board.log.last(), QStringLiteral("lamp 1"));
    EXPECT_EQ(queue.waitingFor(), QStringLiteral("LampTest"));
    EXPECT_FALSE(t.routeSet());
    vt::runFor(2999);
    EXPECT_EQ(board.log.last(), QStringLiteral("lamp 1"));
    ASSERT_TRUE(vt::runUntil([&] { return t.routeSet(); }, 10));
    EXPECT_EQ(SimClock::global().nowMs() - set, 3000);
    EXPECT_EQ(board.log.at(lamp + 1), QStringLiteral("lamp 0"));
    // Fares from the starting section only; the first row of the trip has no prefix when
    // it is the route's first stop, row 2 here shows it.
    EXPECT_EQ(board.only(QStringLiteral("fare 1=")), QStringList());
    EXPECT_TRUE(board.log.contains(QStringLiteral("fare 2=202")));
    EXPECT_TRUE(board.log.contains(QStringLiteral("fare 3=-1")));
    EXPECT_EQ(board.log.last(), QStringLiteral("name 停留所2 2 2"));
    EXPECT_TRUE(t.routeSet());
    EXPECT_EQ(t.RouteDate(), QStringLiteral("12-07-2026"));
    EXPECT_EQ(tape.log.last(), QStringLiteral("LoadTape  7"));
    ASSERT_FALSE(sound.calls.empty());
    EXPECT_EQ(sound.calls.back().alias, QStringLiteral("S1"));
}

TEST_F(TripTest, AFailedLoadIsReturnedAndTheBoardIsUntouched) {
    Trip t = make();
    enter(t, {10, 9, 9});
    const Outcome o = t.setRoute(EntryPage::Keypad);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.message, msgNoRouteData());
    EXPECT_TRUE(board.log.isEmpty());
    EXPECT_FALSE(t.routeSet());
}

TEST_F(TripTest, ListEntryForgetsAClearedList) {
    Trip t = make();
    t.chooseRouteDigit(0, 1);
    t.chooseRouteDigit(1, 7);
    t.clearListDigit(true, 0);
    t.chooseSectionDigit(2, 3);
    ASSERT_TRUE(setRoute(t, EntryPage::Lists).ok);
    EXPECT_EQ(t.state().RouteDigits, QStringLiteral("7"));
    EXPECT_EQ(t.state().StartSection, 3);
}

TEST_F(TripTest, StepsLateNightAndBlanking) {
    Trip t = make();
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    EXPECT_EQ(board.log.last(), QStringLiteral("name 停留所1 0 2")); // first stop: no prefix
    t.setLateNight(true);
    board.log.clear();
    t.step(true);
    EXPECT_TRUE(board.log.contains(QStringLiteral("fare 1=402"))); // 201 doubled
    EXPECT_TRUE(board.log.contains(QStringLiteral("fare 3=-1")));  // "no fare" never doubles
    t.step(false);
    t.step(false); // already at the first stop: nothing happens
    EXPECT_EQ(t.state().CurrentRow, 1);
    board.log.clear();
    t.setBlank(true);
    EXPECT_EQ(board.log, QStringList{QStringLiteral("blank 1")});
    t.setBlank(false);
    EXPECT_EQ(board.log.at(1), QStringLiteral("blank 0"));
    EXPECT_EQ(board.log.last(), QStringLiteral("name 停留所1 0 2"));
}

TEST_F(TripTest, AnAnnouncementStepsTheBoardWhenItsLineSaysSo) {
    Trip t = make();
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    tape.flag = 0;
    t.tapeNext();
    EXPECT_EQ(t.state().CurrentRow, 1);
    tape.flag = 1;
    t.tapeNext();
    EXPECT_EQ(t.state().CurrentRow, 2);
    t.tapeBack();
    EXPECT_EQ(t.state().CurrentRow, 1);
}

// The trip running by itself: steps or announcements at the interval, waits for the
// sound, ends with the route.
namespace {

void waitUntil(const std::function<bool()>& done, int ms = 3000) {
    vt::runUntil(done, ms);
}

} // namespace

TEST_F(TripTest, AutoRunStepsToTheEndOfTheRouteAndStops) {
    Trip t = make();
    AutoRun run(t, [] { return false; });
    EXPECT_FALSE(run.start(0.05)); // no route yet
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    int changes = 0;
    QObject::connect(&run, &AutoRun::changed, [&] { ++changes; });
    ASSERT_TRUE(run.start(0.05));
    EXPECT_EQ(t.state().CurrentRow, 2); // the first step at once
    waitUntil([&] { return !run.running(); });
    EXPECT_FALSE(run.running());
    EXPECT_EQ(t.state().CurrentRow, 4);
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(run.start(0.05)); // at the end already
    EXPECT_TRUE(tape.log.filter(QStringLiteral("TapeNext")).isEmpty());
}

TEST_F(TripTest, AutoRunAnnouncesWhenThereIsAListAndWaitsForTheSound) {
    tape.usable = true;
    tape.count = 3; // a greeting line, then two that step the board
    tape.flag = 1;
    Trip t = make();
    t.initSpeech();
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    bool sounding = true;
    AutoRun run(t, [&] { return sounding; });
    ASSERT_TRUE(run.start(0.05));
    EXPECT_EQ(tape.log.filter(QStringLiteral("TapeNext")).size(), 1);
    // Still sounding long after the interval: nothing more happens.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(tape.log.filter(QStringLiteral("TapeNext")).size(), 1);
    sounding = false;
    waitUntil([&] { return !run.running(); });
    // Three announcements, then データ送り for the stop the list does not reach.
    EXPECT_EQ(tape.log.filter(QStringLiteral("TapeNext")).size(), 3);
    EXPECT_EQ(t.state().CurrentRow, 4);
    EXPECT_FALSE(run.running());
}

TEST_F(TripTest, AutoRunStopsWhenAsked) {
    Trip t = make();
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    AutoRun run(t, [] { return false; });
    ASSERT_TRUE(run.start(5));
    run.stop();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(t.state().CurrentRow, 2);
    EXPECT_FALSE(run.running());
    EXPECT_DOUBLE_EQ(run.interval(), 5);
}

// The ticket preview at every board update: the row's arguments, the date by the chosen
// mode against the simulator's clock, the panel's company, and a stop name the plug-in
// rewrote shown on the board of the same update.
TEST_F(TripTest, EveryBoardUpdateDrawsTheTicketBeforeTheStopName) {
    options.UseTicketPreview = 1;
    options.PluginPath = QStringLiteral("/plugins/t.4SP");
    panel.setCompany(2);
    Trip t = make();
    enter(t, {10, 7, 11, 1});
    ASSERT_TRUE(setRoute(t, EntryPage::Keypad).ok);
    ASSERT_EQ(preview.drawn.size(), 1u);
    const SeirikenArgs& first = preview.drawn[0];
    EXPECT_EQ(first.stopName, QByteArray::fromStdString(t.table().row(1).StopNameBytes));
    EXPECT_EQ(first.date, QByteArray("12-07-2026")); // printed now, MM-DD-YYYY
    EXPECT_EQ(first.time, QByteArray("07:05:09"));
    EXPECT_EQ(first.route, 7);
    EXPECT_EQ(first.row, 1);
    EXPECT_EQ(first.company, 2);
    EXPECT_TRUE(t.previewDrawn());

    // The route's date is kept although the clock moved on to the next day.
    options.DatePerPrint = 0;
    options.DatePerRoute = -1;
    clock.stopAt(clock.now().addDays(1));
    preview.rename = QByteArray::fromStdString(cp932::encode(QStringLiteral("臨時停留所")));
    board.log.clear();
    t.step(true);
    EXPECT_EQ(preview.drawn.back().date, QByteArray("12-07-2026"));
    EXPECT_EQ(preview.drawn.back().row, 2);
    EXPECT_EQ(board.only(QStringLiteral("name")),
              QStringList{QStringLiteral("name 臨時停留所 2 2")});
    EXPECT_EQ(t.table().row(2).StopName, QStringLiteral("臨時停留所"));

    // Switched off, the next update only clears the picture.
    options.UseTicketPreview = 0;
    const int cleared = preview.cleared;
    t.step(false);
    EXPECT_EQ(preview.drawn.size(), 2u);
    EXPECT_EQ(preview.cleared, cleared + 1);
    EXPECT_FALSE(t.previewDrawn());
}
