#include "BoardRig.h"
#include "CommandQueue.h"
#include "FakeCompanion.h"
#include "Form1.h"
#include "Hy3Builder.h"
#include "Options.h"
#include "PanelKeys.h"
#include "PanelState.h"
#include "PreviewPicture.h"
#include "Recorders.h"
#include "VirtualTime.h"
#include "frmCtl.h"
#include "mdl527_000.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A board, a panel and recording doubles over a temporary fare data folder.
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = &FakeCompanion::reset();
        options.FareDataFolder = dir.path();
        options.RouteSetSound = QStringLiteral("route.wav");
        options.ResetSound = QStringLiteral("key.wav");
        clock.stopAt(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 9)));
        Trip::Services services{board, options, sound, tape, &queue, &clock, &preview, &panelState};
        trip = std::make_unique<Trip>(services);
        PanelContext ctx{board, *trip, panelState, preview, options, clock};
        ctx.saveSettings = [this] { events << QStringLiteral("save"); };
        ctx.endProgram = [this] { events << QStringLiteral("end"); };
        panel = std::make_unique<frmCtl>(std::move(ctx));
        panel->Form_Load();
        // Fares: column k of row i is 100*i + k, column 7 is -1, column 40 the sound code.
        writeBytes(dir.filePath(QStringLiteral("12.hy3")),
                   hy3::write(makeRoute(6, [](int r, int c) -> int16_t {
                       return c == 7    ? -1
                              : c == 40 ? static_cast<int16_t>(r % 5)
                                        : static_cast<int16_t>(100 * r + c);
                   })));
    }
    void keys(std::initializer_list<int> ks) {
        for (int k : ks)
            panel->CommandButton1[static_cast<size_t>(k)]->click();
    }
    void setRoute(int section) {
        keys({10, 1, 2, 11});
        keys({section});
        panel->Command1[1]->click();
        lampDuringWait = board.Degit(17)->litNow();
        waiting = queue.waitingFor();
        vt::runUntil([this] { return trip->routeSet(); }, 3000);
    }
    QString lit(int n) const { return board.Degit(static_cast<size_t>(n))->litNow(); }

    QTemporaryDir dir;
    FakeCompanion* fake = nullptr;
    BoardRig rig;
    Options& options = rig.options;
    Form1& board = rig.board;
    RecordingSound sound;
    RecordingTape tape;
    Clock clock;
    PanelState panelState;
    PreviewPicture preview{options};
    std::unique_ptr<Trip> trip;
    std::unique_ptr<frmCtl> panel;
    const RouteState& state() const { return trip->state(); }
    CommandQueue queue{SimClock::global()};
    QString waiting;
    QString lampDuringWait;
    QStringList events;
};

} // namespace

TEST_F(PanelTest, StartsWithCaptionAndDisabledControls) {
    EXPECT_EQ(board.windowTitle(), QStringLiteral("ミナモ - 型番:527"));
    EXPECT_FALSE(panel->Command2[0]->isEnabled());
    EXPECT_FALSE(panel->Check1->isEnabled());
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    EXPECT_EQ(panel->grpM_Tape->title(), QStringLiteral("音合使用不可"));
    EXPECT_EQ(panel->widthTwips(), 5385);
    EXPECT_EQ(tape.log, QStringList{QStringLiteral("InitSpeech")});
    EXPECT_FALSE(panel->CommandButton1[0]->mask().isEmpty());
    EXPECT_EQ(panel->CommandButton1[0]->mask().boundingRect(), QRect(2, 2, 26, 23));
}

TEST_F(PanelTest, RouteSettingRunsTheLampTestAndShowsTheStartRow) {
    setRoute(3);
    EXPECT_EQ(waiting, QStringLiteral("LampTest"));
    EXPECT_EQ(lampDuringWait, QStringLiteral("888"));
    EXPECT_EQ(state().RouteDigits, QStringLiteral("12"));
    EXPECT_EQ(state().CurrentRow, 3);
    EXPECT_EQ(lit(1), QString()); // below the start section: the 0 of the lamp test
    EXPECT_EQ(lit(3), QStringLiteral("303"));
    EXPECT_EQ(lit(7), QStringLiteral("-1"));
    EXPECT_EQ(board.ChimeiCtl()->name(), QStringLiteral("停留所3"));
    EXPECT_TRUE(panel->Command2[1]->isEnabled());
    EXPECT_TRUE(panel->Check1->isEnabled());
    EXPECT_EQ(trip->RouteDate(), QStringLiteral("12-06-2026"));
    ASSERT_FALSE(sound.calls.empty());
    EXPECT_EQ(sound.calls.back().file, QStringLiteral("route.wav"));
    EXPECT_EQ(sound.calls.back().alias, QStringLiteral("S1"));
    EXPECT_FALSE(sound.calls.back().wait);
    EXPECT_TRUE(tape.log.contains(QStringLiteral("LoadTape  12")));
}

TEST_F(PanelTest, KeypadSoundsAndLabels) {
    keys({10, 0, 0, 1, 2, 3, 4});
    EXPECT_EQ(panel->Label2[0]->text(), QStringLiteral("00123"));
    EXPECT_EQ(sound.calls.size(), 7u);
    for (const auto& c : sound.calls)
        EXPECT_EQ(c.file, QStringLiteral("key.wav"));
}

TEST_F(PanelTest, ListPageBuildsTheRouteFromItsSelections) {
    // Focus landing on a list (as at start-up) chooses nothing and plays nothing.
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(panel->List2[0], &tab);
    EXPECT_EQ(panel->List2[0]->currentRow(), -1);
    EXPECT_TRUE(sound.calls.empty());
    panel->List2[3]->setCurrentRow(1);
    panel->List2[4]->setCurrentRow(2);
    panel->List3[2]->setCurrentRow(2);
    panel->Command1[0]->click();
    EXPECT_EQ(state().RouteDigits, QStringLiteral("12"));
    EXPECT_EQ(state().CurrentRow, 2);
    EXPECT_EQ(sound.calls[0].file, QStringLiteral("key.wav"));   // route digit
    EXPECT_EQ(sound.calls[2].file, QStringLiteral("route.wav")); // section digit
}

TEST_F(PanelTest, RouteNumberInformationDigitKeepsItsZeros) {
    options.ShowRouteNumber = 1;
    options.RouteNumberCell = 31;
    keys({10, 0, 0, 0, 1, 2, 11, 1});
    panel->Command1[1]->click();
    vt::runUntil([this] { return trip->routeSet(); }, 3000);
    EXPECT_EQ(board.Degit(32)->Value(), DigitValue::text(QStringLiteral("00012")));
    EXPECT_EQ(lit(32), QStringLiteral("012"));
}

TEST_F(PanelTest, BlankingAndRestoringTheSameRow) {
    setRoute(3);
    panel->Check1->click();
    EXPECT_EQ(lit(5), QString());
    EXPECT_EQ(board.ChimeiCtl()->name(), QString());
    EXPECT_FALSE(board.Timer1().isActive());
    EXPECT_FALSE(panel->Frame1[0]->isEnabled());
    EXPECT_FALSE(panel->Frame1[1]->isEnabled());
    EXPECT_FALSE(panel->Command2[1]->isEnabled());
    EXPECT_FALSE(panel->Frame6->isEnabled());
    EXPECT_TRUE(panel->Command4->isEnabled());
    EXPECT_TRUE(panel->Option4[1]->isEnabled());
    panel->Check1->click();
    EXPECT_EQ(lit(5), QStringLiteral("305"));
    EXPECT_EQ(lit(1), QString());
    EXPECT_EQ(lit(2), QString());
    EXPECT_EQ(board.ChimeiCtl()->name(), QStringLiteral("停留所3"));
    EXPECT_FALSE(board.Timer1().isActive()); // the hidden clock is not restarted
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    EXPECT_TRUE(panel->Command2[1]->isEnabled());
}

// The panel edits the panel state and shows it, whoever changed it.
TEST_F(PanelTest, ScrollBarsBacklightAndPagesGoThroughThePanelState) {
    std::vector<std::pair<int, int>> scrolls;
    QObject::connect(&panelState, &PanelState::scrollChanged,
                     [&](int speed, int wait) { scrolls.emplace_back(speed, wait); });
    panel->HScroll1[1]->setValue(2500);
    panel->HScroll1[0]->setValue(400);
    EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{1, 2500}, {400, 2500}}));
    EXPECT_EQ(panel->Label1[0]->text(), QStringLiteral("400"));
    panelState.setScrollInterval(700);
    EXPECT_EQ(panel->HScroll1[1]->value(), 700);
    EXPECT_EQ(panel->Label1[1]->text(), QStringLiteral("700"));

    panel->Option4[2]->click();
    EXPECT_EQ(panelState.backlight(), 2);
    panelState.setBacklight(1);
    EXPECT_TRUE(panel->Option4[1]->isChecked());

    panel->Frame1_DblClick(1);
    EXPECT_EQ(panelState.entryPage(), 1);
}

TEST_F(PanelTest, PreviewTogglePageSwitchAndPersistedFields) {
    panel->Check4->click();
    EXPECT_EQ(panel->widthTwips(), 9000);
    EXPECT_EQ(panel->Check4->text(), QStringLiteral("<<"));
    EXPECT_EQ(panel->Check4->toolTip(), QStringLiteral("整理券プレビューを隠します"));
    panel->Frame1_DblClick(1);
    CtrlDataInfo info;
    panel->Check2->click();
    panel->GetCtrlDataInfo(info);
    EXPECT_EQ(info.PanelExpand, 1);
    EXPECT_EQ(info.PanelPage, 1);
    EXPECT_EQ(info.LateNightFare, 1);

    info.PanelExpand = 0;
    info.PanelPage = 0;
    info.ScrollSpeedValue = 300;
    info.ScrollIntervalValue = 700;
    info.LateNightFare = 0;
    panel->SetCtrlDataInfo(info);
    EXPECT_EQ(panel->widthTwips(), 5385);
    EXPECT_EQ(panelState.entryPage(), 0);
    EXPECT_EQ(panel->HScroll1[0]->value(), 300);
    EXPECT_EQ(panel->HScroll1[1]->value(), 700);
    EXPECT_FALSE(trip->lateNight());
    EXPECT_FALSE(panel->Check2->isChecked());
}

TEST_F(PanelTest, VersionTextNamesTheModel) {
    panel->Command8->click();
    ASSERT_EQ(fake->dlg110Texts.size(), 1u);
    EXPECT_TRUE(fake->dlg110Texts[0].startsWith(QStringLiteral("機種：527\r\nバージョン：")));
    EXPECT_TRUE(fake->dlg110Texts[0].contains(QStringLiteral("ServiceRelease 1")));
    EXPECT_TRUE(fake->dlg110Texts[0].contains(QStringLiteral("2026")));
    EXPECT_TRUE(board.isEnabled());
}

TEST_F(PanelTest, CloseAnsweredNoKeepsEverythingYesShutsDownInOrder) {
    setRoute(2);
    fake->answers = {MsgResult::No};
    EXPECT_FALSE(panel->Form_QueryUnload());
    EXPECT_EQ(fake->messages.back().text, QStringLiteral("ミナモを終了しますか？"));
    EXPECT_EQ(fake->messages.back().title, QStringLiteral("ミナモの終了確認"));
    EXPECT_EQ(board.ChimeiCtl()->name(), QStringLiteral("停留所2"));
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(sound.closed, 0);

    EXPECT_TRUE(panel->Form_QueryUnload());
    EXPECT_EQ(board.ChimeiCtl()->name(), QString());
    EXPECT_EQ(sound.closed, 1);
    EXPECT_EQ(tape.log.last(), QStringLiteral("ReleaseSpeech"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("save"), QStringLiteral("end")}));
    EXPECT_TRUE(panel->CommandButton1[0]->mask().isEmpty());
}

TEST_F(PanelTest, PreviewCopyMenuOnlyForTheRightButton) {
    EXPECT_FALSE(panel->picSeirikenPrev_MouseDown(Qt::LeftButton, QPoint(10, 10)));
    EXPECT_FALSE(panel->MnuHide->isVisible());
    EXPECT_TRUE(panel->picSeirikenPrev_MouseDown(Qt::RightButton, QPoint(10, 10)));
    EXPECT_TRUE(panel->MnuHide->isVisible());
    EXPECT_EQ(panel->MnuHideCopy->text(), QStringLiteral("コピー(&C)"));
    panel->MnuHide->hide();
    // A drawn ticket reaches the picture on the panel and the clipboard.
    options.UseTicketPreview = 1;
    options.PluginPath = QStringLiteral(DEMO_DIR "/plugins/barcode.4SP");
    setRoute(1);
    const QImage shown = panel->picSeirikenPrev->pixmap().toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), preview.image());
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ink += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(ink, 500);
    panel->MnuHideCopy->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), preview.image());
}

TEST_F(PanelTest, ScrollBarsHaveRoomToMoveInSmallSteps) {
    for (int i = 0; i < 2; ++i) {
        QScrollBar* bar = panel->HScroll1[static_cast<size_t>(i)];
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.orientation = Qt::Horizontal;
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->value();
        opt.pageStep = bar->pageStep();
        opt.singleStep = bar->singleStep();
        opt.rect = bar->rect();
        const QRect groove = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt,
                                                          QStyle::SC_ScrollBarGroove, bar);
        const QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt,
                                                          QStyle::SC_ScrollBarSlider, bar);
        EXPECT_GE(groove.width() - handle.width(), 150) << i;
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), i == 0 ? 10 : 100);
        EXPECT_GE(panel->Label1[static_cast<size_t>(i)]->geometry().left(),
                  bar->geometry().right());
    }
}

TEST_F(PanelTest, WidenedPanelIsNineThousandTwipsAndStaysOnScreen) {
    panel->show();
    panel->placeAtBottomRight();
    const QRect screen = panel->screen()->geometry();
    EXPECT_EQ(panel->frameGeometry().bottomRight(), screen.bottomRight());
    panel->Check4->click();
    EXPECT_EQ(panel->widthTwips(), 9000);
    EXPECT_LE(panel->frameGeometry().right(), panel->screen()->availableGeometry().right());
    panel->Check4->click();
    EXPECT_EQ(panel->widthTwips(), 5385);
}

TEST_F(PanelTest, ABadPluginPathStillReachesTheDrawCallAndTheTableIsUntouched) {
    options.UseTicketPreview = 1;
    options.PluginPath = dir.filePath(QStringLiteral("missing.4SP"));
    panel->setPreviewTwips(3300, 3000);
    setRoute(1);
    ASSERT_EQ(fake->drawCalls.size(), 1u);
    EXPECT_EQ(fake->drawCalls[0].path, options.PluginPath);
    EXPECT_EQ(fake->drawCalls[0].picture, QSize(218, 198)); // 220 x 200 inside the frame
    EXPECT_EQ(panel->previewWidthTwips(), 3300);
    EXPECT_EQ(trip->table().row(1).StopName, QStringLiteral("停留所1"));
}

// The operator's keys act as their buttons, from the panel or the board, and a greyed
// button refuses its key as it refuses the mouse.
TEST_F(PanelTest, EachKeyPressesItsButtonFromThePanelOrTheBoard) {
    installPanelKeys(*panel, {&board});
    setRoute(1);
    panel->show();
    board.show();
    auto press = [](QWidget* w, Qt::Key k) {
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, k);
    };
    press(panel.get(), Qt::Key_PageDown);
    EXPECT_EQ(state().CurrentRow, 2);
    press(&board, Qt::Key_PageDown);
    EXPECT_EQ(state().CurrentRow, 3);
    press(&board, Qt::Key_PageUp);
    EXPECT_EQ(state().CurrentRow, 2);

    press(panel.get(), Qt::Key_F8); // 表示消去
    EXPECT_TRUE(trip->blanked());
    press(panel.get(), Qt::Key_PageDown); // greyed while blanked: refused
    EXPECT_EQ(state().CurrentRow, 2);
    press(&board, Qt::Key_F8);
    EXPECT_FALSE(trip->blanked());

    const int light = panelState.backlight();
    press(panel.get(), Qt::Key_F4);
    EXPECT_EQ(panelState.backlight(), (light + 1) % 3);

    // The announcement group is greyed without a broadcast list: 送り does nothing.
    const QStringList before = tape.log;
    press(panel.get(), Qt::Key_F6);
    EXPECT_EQ(tape.log, before);

    // 自動: clicked while the board shows, refused while it is blanked.
    QSignalSpy autoClicks(panel->cmdAuto, &QPushButton::clicked);
    press(panel.get(), Qt::Key_F9);
    EXPECT_EQ(autoClicks.count(), 1);
    panel->Check1->click();
    press(panel.get(), Qt::Key_F9);
    EXPECT_EQ(autoClicks.count(), 1);
    panel->Check1->click();

    // With a broadcast list the announcement keys reach the tape: 戻し, 送り, ■.
    tape.usable = true;
    tape.count = 3;
    panel->Form_Load();
    setRoute(1);
    ASSERT_TRUE(panel->grpM_Tape->isEnabled());
    tape.log.clear();
    press(&board, Qt::Key_F6);
    press(panel.get(), Qt::Key_F5);
    press(panel.get(), Qt::Key_F7);
    EXPECT_EQ(tape.log, (QStringList{QStringLiteral("TapeNext"), QStringLiteral("TapeBack"),
                                     QStringLiteral("TapeStop")}));

    EXPECT_TRUE(panel->Command2[1]->toolTip().contains(
        QKeySequence(Qt::Key_PageDown).toString(QKeySequence::NativeText)));
    EXPECT_TRUE(panel->cmdTapeNext->toolTip().contains(QStringLiteral("F6")));
}

// The desktop panel greys exactly what the presentation says, which is also what the
// state dump and the browser's panel show: one table of states, one answer.
TEST_F(PanelTest, TheWidgetsShowThePresentationInEveryState) {
    auto widgets = [this] {
        return QJsonObject{{QStringLiteral("Command2(0)"), panel->Command2[0]->isEnabled()},
                           {QStringLiteral("Command2(1)"), panel->Command2[1]->isEnabled()},
                           {QStringLiteral("Check1"), panel->Check1->isEnabled()},
                           {QStringLiteral("Frame1(0)"), panel->Frame1[0]->isEnabled()},
                           {QStringLiteral("Frame1(1)"), panel->Frame1[1]->isEnabled()},
                           {QStringLiteral("Frame6"), panel->Frame6->isEnabled()},
                           {QStringLiteral("grpM_Tape"), panel->grpM_Tape->isEnabled()},
                           {QStringLiteral("cmdAuto"), panel->cmdAuto->isEnabled()}};
    };
    struct Step {
        const char* name;
        std::function<void()> act;
        bool next, entry, autoRun;
    };
    const Step steps[] = {
        {"no route", [] {}, false, true, false},
        {"route set", [this] { setRoute(1); }, true, true, true},
        {"late night", [this] { panel->Check2->click(); }, true, true, true},
        {"blanked", [this] { panel->Check1->click(); }, false, false, false},
        {"shown again", [this] { panel->Check1->click(); }, true, true, true},
    };
    for (const Step& s : steps) {
        s.act();
        const PanelPresentation p = panel->presentation();
        EXPECT_EQ(widgets(), p.enabledMap()) << s.name;
        EXPECT_EQ(p.next, s.next) << s.name;
        EXPECT_EQ(p.entry, s.entry) << s.name;
        EXPECT_EQ(p.autoRun, s.autoRun) << s.name;
        EXPECT_EQ(panel->Check2->isChecked(), p.lateNightOn) << s.name;
        EXPECT_EQ(panel->Label2[0]->text(), p.route) << s.name;
    }
}
