#pragma once
// The control panel's widgets, laid out as the panel shows them: captions, places, tool
// tips and ranges. Building them wires nothing; frmCtl connects them to the models.
#include <QImage>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;
class QWidget;

struct PanelControls {
    // The panel's size as designed: width in twips, height in pixels.
    static constexpr int kDesignWidthTwips = 5385;
    static constexpr int kExpandedWidthTwips = 9000;
    static constexpr int kPanelHeight = 336;

    std::array<QPushButton*, 12> CommandButton1{}; // keypad 0-9, 10 系統, 11 区間
    std::array<QLabel*, 3> Label2{};               // route, dash, section
    std::array<QListWidget*, 5> List2{};           // route digit lists
    std::array<QListWidget*, 3> List3{};           // section digit lists
    std::array<QPushButton*, 2> Command1{};        // リセット: 0 lists, 1 keypad
    std::array<QPushButton*, 2> Command2{};        // 0 データ戻し, 1 データ送り
    QCheckBox* Check1 = nullptr;                   // 表示消去
    QCheckBox* Check2 = nullptr;                   // 深夜料金
    QPushButton* Check4 = nullptr;                 // >> (the widened panel)
    std::array<QScrollBar*, 2> HScroll1{};         // scroll speed, scroll pause
    std::array<QLabel*, 2> Label1{};               // their values
    std::array<QGroupBox*, 2> Frame1{};            // entry pages: 0 lists, 1 keypad
    QGroupBox* Frame6 = nullptr;                   // late night and the scroll bars
    std::array<QRadioButton*, 3> Option4{};        // バックライト OFF, ON1, ON2
    QPushButton* Command4 = nullptr;               // 設定...
    QPushButton* Command8 = nullptr;               // ﾊﾞｰｼﾞｮﾝ
    QGroupBox* grpM_Tape = nullptr;
    QPushButton* cmdTapeSet = nullptr;
    QPushButton* cmdTapeBack = nullptr;
    QPushButton* cmdTapeNext = nullptr;
    QPushButton* cmdTapeStop = nullptr;
    QLabel* picSeirikenPrev = nullptr;
    QComboBox* Combo1 = nullptr; // the plug-in's companies
    QPushButton* cmdAuto = nullptr;
    QSpinBox* spnAutoInterval = nullptr;
    QPushButton* cmdRecord = nullptr;
    QPushButton* cmdRouteImport = nullptr; // 路線取込...: routes from open data
    QLabel* lblRecord = nullptr;
    QMenu* MnuHide = nullptr;
    QAction* MnuHideCopy = nullptr;

    // Creates every control as a child of `owner`.
    void build(QWidget* owner);

  private:
    void buildEntryPages(QWidget* owner);
    void buildTapeGroup(QWidget* owner);
    void buildRightSide(QWidget* owner);
    void buildPreviewSide(QWidget* owner);
    void buildAutoAndRecording(QWidget* owner);
};
