#pragma once
// The control panel 集中操作盤: route and section entry on two pages, route setting,
// stepping, blanking, late-night fares, backlight, scroll bars, preview toggle and the
// announcement group. It shows the trip and the panel state and forwards the operator's
// input to them; handlers carry the names of the controls they serve.
#include "PanelControls.h"
#include "PanelPresentation.h"
#include "SettingsRecord.h"
#include "Trip.h"

#include <QWidget>
#include <functional>
#include <optional>

class AutoRun;
class BoardView;
class Clock;
class PanelState;
class PreviewPicture;
class QTimer;
class CommandQueue;

// What the panel works with; owned by the application.
struct PanelContext {
    BoardView& board;
    Trip& trip;
    PanelState& state;
    PreviewPicture& preview;
    const Options& options;
    const Clock& clock;
    // Opens the options dialog; true when it stays open and reports its closing through
    // frmCtl::optionsHidden(), false when it has already been closed.
    std::function<bool()> showOptions = [] { return false; };
    std::function<void()> saveSettings = [] {};
    // Ends the program at once after a confirmed close.
    std::function<void()> endProgram = [] {};
    // The trip running by itself; null leaves the 自動 button without effect.
    AutoRun* autoRun = nullptr;
    // Starts (true) or stops (false) a video recording; true when it is in the state asked.
    std::function<bool(bool)> setRecording = [](bool) { return false; };
    // What the 録画 label shows while recording ("● 00:12"), empty when not recording.
    std::function<QString()> recordingText = [] { return QString(); };
    // 路線取込...: the open-data import dialog.
    std::function<void()> openRouteImport = [] {};
    // 録画's right button → 書き出し...: a trip exported as a video; none: no menu.
    std::function<void()> openExport = {};
    // Following the bus's telemetry (the 自動 button's menu); without them no menu.
    std::function<bool()> following = {};
    std::function<void(bool)> setFollowing = {};
    // The program's file name without extension: the model number.
    QString modelName = QStringLiteral("527");
    // The queue the operator's input runs in, behind whatever holds it; none: at once.
    CommandQueue* queue = nullptr;
};

class frmCtl : public QWidget, public PanelControls {
    Q_OBJECT
  public:
    explicit frmCtl(PanelContext ctx, QWidget* parent = nullptr);
    ~frmCtl() override;

    void Form_Load();
    // What the panel shows now, from the models alone.
    PanelPresentation presentation() const;
    // The operator's input as a command in the program's queue (at once without one).
    void submit(const char* name, std::function<void()> fn);
    bool Form_QueryUnload(); // true when the close goes ahead
    void CommandButton1_Click(int index);
    void List2_Click(int index);
    void List3_Click(int index);
    void Command1_Click(int index);
    void Command2_Click(int index);
    void Check1_Click();
    void Check2_Click();
    void Check4_Click();
    void HScroll1_Change(int index);
    void Frame1_DblClick(int index);
    void Option4_Click(int index);
    void Command4_Click();
    // The options dialog has been hidden: both windows take input again, the stop name is
    // drawn again.
    void optionsHidden();
    void Command8_Click();
    void cmdTapeBack_Click();
    void cmdTapeNext_Click();
    void cmdTapeSet_Click();
    void cmdTapeStop_Click();
    // Right button on the ticket preview pops up the copy menu; returns whether it did.
    bool picSeirikenPrev_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void MnuHideCopy_Click();
    // 自動: the trip runs by itself at the chosen interval, or stops.
    void cmdAuto_Click();
    // 録画: starts or finishes a video of the board with its sound.
    void cmdRecord_Click();
    // The recording controls show whether a recording runs (it may be started elsewhere).
    void showRecording();
    // The ticket preview's size from a plug-in, in twips; the company list moves below it.
    void setPreviewTwips(int width, int height);
    int previewWidthTwips() const;
    int previewHeightTwips() const;

    void GetCtrlDataInfo(CtrlDataInfo& info) const;
    void SetCtrlDataInfo(const CtrlDataInfo& info);

    QString versionText() const;
    // Outer width, frame included.
    int widthTwips() const;
    // The start-up place: the screen's bottom-right corner, frame included.
    void placeAtBottomRight();
    // Places the panel again once the window manager has framed it, unless moved since.
    void settlePlacement(int tries = 10);
    int LeftTwips() const;
    int TopTwips() const;
    void moveTwips(int left, int top);

    // Shows what the trip reports: the keypad's entry and which controls take input.
    void refresh();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // Every control's signal to its handler, and the models' signals to what shows them.
    void wireEntry();
    void wireRightSide();
    void wireAutoAndRecording();
    void wireModels();
    void showScroll(int speed, int intervalMs);
    void showBacklight(int state);
    void showEntryPage(int page);
    void showExpanded(bool on);
    void setOuterWidthTwips(int twips);
    // Moves the panel left when its right edge is past the screen's.
    void keepOnScreen();

    PanelContext ctx_;
    bool closing_ = false;
    QTimer* recordClock_ = nullptr;
    QPoint placedAt_;
    // Where the settings placed the panel, until the window manager has framed it.
    std::optional<QPoint> restoredAt_;
};
