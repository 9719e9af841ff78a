#pragma once
// The control panel 集中操作盤: route and section entry on two pages, route setting,
// stepping, blanking, late-night fares, backlight, scroll bars, preview toggle and the
// announcement group. Handlers carry the names of the controls they serve.
#include "SettingsRecord.h"
#include "Trip.h"

#include <QDateTime>
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class AutoRun;
class Form1;
class QSpinBox;
class QTimer;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

// What the panel works with; owned by the application.
struct PanelContext {
    Form1& board;
    Trip& trip;
    const Options& options;
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // The clock the ticket's time and print date come from.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Shows the options dialog modally.
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
    // The program's file name without extension: the model number.
    QString modelName = QStringLiteral("527");
};

class frmCtl : public QWidget {
    Q_OBJECT
  public:
    explicit frmCtl(PanelContext ctx, QWidget* parent = nullptr);
    ~frmCtl() override;

    void Form_Load();
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
    // Whether a ticket was drawn at the last board update.
    bool previewDrawn() const { return previewDrawn_; }

    void GetCtrlDataInfo(CtrlDataInfo& info) const;
    void SetCtrlDataInfo(const CtrlDataInfo& info);

    QString versionText() const;
    int backlight() const;
    // Outer width, frame included.
    int widthTwips() const;
    // The start-up place: the screen's bottom-right corner, frame included.
    void placeAtBottomRight();
    // Places the panel again once the window manager has framed it, unless moved since.
    void settlePlacement();
    int LeftTwips() const;
    int TopTwips() const;
    void moveTwips(int left, int top);

    // Controls, reached by scripts and tests.
    std::array<QPushButton*, 12> CommandButton1{};
    std::array<QLabel*, 3> Label2{};
    std::array<QListWidget*, 5> List2{};
    std::array<QListWidget*, 3> List3{};
    std::array<QPushButton*, 2> Command1{};
    std::array<QPushButton*, 2> Command2{};
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* Check4 = nullptr;
    std::array<QScrollBar*, 2> HScroll1{};
    std::array<QLabel*, 2> Label1{};
    std::array<QGroupBox*, 2> Frame1{};
    QGroupBox* Frame6 = nullptr;
    std::array<QRadioButton*, 3> Option4{};
    QPushButton* Command4 = nullptr;
    QPushButton* Command8 = nullptr;
    QGroupBox* grpM_Tape = nullptr;
    QPushButton* cmdTapeSet = nullptr;
    QPushButton* cmdTapeBack = nullptr;
    QPushButton* cmdTapeNext = nullptr;
    QPushButton* cmdTapeStop = nullptr;
    QLabel* picSeirikenPrev = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* cmdAuto = nullptr;
    QSpinBox* spnAutoInterval = nullptr;
    QPushButton* cmdRecord = nullptr;
    QLabel* lblRecord = nullptr;
    QMenu* MnuHide = nullptr;
    QAction* MnuHideCopy = nullptr;
    // The preview picture's persistent image, cleared at every board update.
    QImage previewImage;

    int16_t PanelPage = 0;
    // Shows what the trip reports: the keypad's entry and which controls take input.
    void refresh();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void buildEntryPages();
    void buildRightSide();
    void buildAutoAndRecording();
    // Board update steps 3-5: clear the preview, then draw this row's ticket when the
    // preview is in use.
    void updatePreview(int row);
    void setOuterWidthTwips(int twips);
    // Moves the panel left when its right edge is past the screen's.
    void keepOnScreen();

    PanelContext ctx_;
    std::array<bool, 12> keypadRegions_{}; // the keys' rounded shapes are in place
    bool closing_ = false;
    bool previewDrawn_ = false;
    QTimer* recordClock_ = nullptr;
    QPoint placedAt_;
    // Where the settings placed the panel, until the window manager has framed it.
    std::optional<QPoint> restoredAt_;
};
