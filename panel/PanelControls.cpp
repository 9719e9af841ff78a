#include "PanelControls.h"

#include "DigitList.h"
#include "PanelState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>

namespace {

QLabel* sunkenLabel(QWidget* parent, const QRect& r) {
    auto* l = new QLabel(parent);
    l->setGeometry(r);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::white);
    l->setPalette(pal);
    return l;
}

QListWidget* digitList(QWidget* parent, int x) {
    auto* l = new DigitList(parent);
    l->setGeometry(x, 34, 19, 124);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    l->setUniformItemSizes(true);
    return l;
}

QPushButton* keypadKey(QWidget* parent, int i) {
    const QString caption = i == 10   ? QStringLiteral("系統")
                            : i == 11 ? QStringLiteral("区間")
                                      : QString::number(i);
    auto* b = new QPushButton(caption, parent);
    b->setFocusPolicy(Qt::NoFocus);
    // The key face is drawn inside the rounded region the key is clipped to.
    b->setStyleSheet(QStringLiteral(
        "QPushButton { margin: 2px; border: 1px solid #6a6a6a; border-radius: 2px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 "
        "#d8d8d8); }"
        "QPushButton:pressed { background: #c4c4c4; }"
        "QPushButton:disabled { color: #a0a0a0; border-color: #b0b0b0; }"));
    b->setToolTip(i == 10 ? QStringLiteral("系統番号の入力を始めます。\n"
                                           "系統 → 番号 → 区間 → 番号 → リセット")
                  : i == 11 ? QStringLiteral("区間（乗り始める停留所の番号）の入力を始めます")
                            : QStringLiteral("系統または区間の数字を入力します"));
    return b;
}

QPushButton* litToggle(QWidget* parent, const QString& caption, const QString& objectName,
                       const QString& checkedStyle) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setCheckable(true);
    // Pressed in, and lit, while on: the style's own pressed look is too faint.
    b->setStyleSheet(QStringLiteral("QPushButton:checked { %1 }").arg(checkedStyle));
    return b;
}

} // namespace

void PanelControls::build(QWidget* owner) {
    buildEntryPages(owner);
    buildTapeGroup(owner);
    buildRightSide(owner);
    buildPreviewSide(owner);
    buildAutoAndRecording(owner);
}

void PanelControls::buildEntryPages(QWidget* owner) {
    // List page: five route digit lists and three section digit lists.
    Frame1[0] = new QGroupBox(QStringLiteral("系統設定"), owner);
    Frame1[0]->setGeometry(4, 2, 180, 194);
    Frame1[0]->setAutoFillBackground(true);
    (new QLabel(QStringLiteral("系　統"), Frame1[0]))->setGeometry(8, 18, 90, 14);
    (new QLabel(QStringLiteral("区間"), Frame1[0]))->setGeometry(114, 18, 60, 14);
    for (size_t k = 0; k < List2.size(); ++k)
        List2[k] = digitList(Frame1[0], 8 + static_cast<int>(k) * 20);
    for (size_t k = 0; k < List3.size(); ++k)
        List3[k] = digitList(Frame1[0], 114 + static_cast<int>(k) * 20);
    Command1[0] = new QPushButton(QStringLiteral("リセット"), Frame1[0]);
    Command1[0]->setGeometry(8, 162, 164, 26);
    Command1[0]->setToolTip(QStringLiteral("選んだ系統と区間で運行を始めます"));
    Frame1[0]->setToolTip(QStringLiteral(
        "各桁の数字を選んでリセットを押します。\nダブルクリックでキー入力に切り替えます"));

    // Keypad page, in front at start.
    Frame1[1] = new QGroupBox(QStringLiteral("系統設定"), owner);
    Frame1[1]->setGeometry(4, 2, 180, 194);
    Frame1[1]->setAutoFillBackground(true);
    Label2[0] = sunkenLabel(Frame1[1], {8, 20, 78, 24});
    Label2[1] = new QLabel(QStringLiteral("-"), Frame1[1]);
    Label2[1]->setGeometry(88, 20, 12, 24);
    Label2[1]->setAlignment(Qt::AlignCenter);
    Label2[2] = sunkenLabel(Frame1[1], {102, 20, 70, 24});
    const int layout[4][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}, {0, 10, 11}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const int i = layout[r][c];
            QPushButton* b = keypadKey(Frame1[1], i);
            b->setGeometry(6 + c * 30, 50 + r * 27, 30, 27);
            CommandButton1[static_cast<size_t>(i)] = b;
        }
    Command1[1] = new QPushButton(QStringLiteral("リセット"), Frame1[1]);
    Command1[1]->setGeometry(104, 52, 68, 104);
    Command1[1]->setToolTip(QStringLiteral("入力した系統と区間で運行を始めます"));
    Frame1[1]->setToolTip(QStringLiteral("系統 → 番号 → 区間 → 番号 → リセット の順に押します。\n"
                                         "ダブルクリックでリスト入力に切り替えます"));
    Frame1[1]->raise();
}

void PanelControls::buildTapeGroup(QWidget* owner) {
    // Announcement group, below the entry pages.
    grpM_Tape = new QGroupBox(QStringLiteral("音合使用不可"), owner);
    grpM_Tape->setGeometry(4, 200, 180, 60);
    grpM_Tape->setEnabled(false);
    const QString captions[4] = {QStringLiteral("調整"), QStringLiteral("戻し"),
                                 QStringLiteral("送り"), QStringLiteral("■")};
    std::array<QPushButton**, 4> buttons = {&cmdTapeSet, &cmdTapeBack, &cmdTapeNext, &cmdTapeStop};
    for (size_t i = 0; i < buttons.size(); ++i) {
        *buttons[i] = new QPushButton(captions[i], grpM_Tape);
        (*buttons[i])->setGeometry(6 + static_cast<int>(i) * 42, 20, 40, 32);
    }
}

void PanelControls::buildRightSide(QWidget* owner) {
    Command2[0] = new QPushButton(QStringLiteral("データ戻し"), owner);
    Command2[0]->setGeometry(190, 8, 80, 32);
    Command2[0]->setToolTip(QStringLiteral("一つ前の停留所に戻します"));
    Command2[1] = new QPushButton(QStringLiteral("データ送り"), owner);
    Command2[1]->setGeometry(274, 8, 80, 32);
    Command2[1]->setToolTip(QStringLiteral("次の停留所に進めます"));
    for (QPushButton* b : Command2)
        b->setEnabled(false);
    Check1 = new QCheckBox(QStringLiteral("表示消去"), owner);
    Check1->setGeometry(192, 46, 100, 20);
    Check1->setEnabled(false);
    Check1->setToolTip(QStringLiteral("運賃表示器を消灯します。外すと元の表示に戻ります"));

    Frame6 = new QGroupBox(owner);
    // Late night and the two scroll bars across the panel's whole width, so the bars have
    // the travel a fine speed setting needs.
    Frame6->setGeometry(4, 264, 351, 68);
    Check2 = new QCheckBox(QStringLiteral("深夜料金"), Frame6);
    Check2->setGeometry(8, 2, 100, 20);
    Check2->setToolTip(QStringLiteral("次の表示更新から運賃を2倍で表示します"));
    const QString names[2] = {QStringLiteral("ｽｸﾛｰﾙ速度"), QStringLiteral("ｽｸﾛｰﾙ間隔")};
    const int ranges[2][2] = {{PanelState::kSpeedMin, PanelState::kSpeedMax},
                              {PanelState::kIntervalMin, PanelState::kIntervalMax}};
    for (size_t i = 0; i < HScroll1.size(); ++i) {
        const int y = 24 + static_cast<int>(i) * 21;
        (new QLabel(names[i], Frame6))->setGeometry(8, y, 60, 18);
        auto* bar = new QScrollBar(Qt::Horizontal, Frame6);
        bar->setGeometry(70, y, 228, 18);
        bar->setRange(ranges[i][0], ranges[i][1]);
        bar->setSingleStep(1);
        bar->setPageStep(i == 0 ? 10 : 100);
        bar->setValue(ranges[i][0]);
        bar->setToolTip(
            i == 0 ? QStringLiteral("長い停名が流れる速さ")
                   : QStringLiteral("停名が流れ終わってから次に流れ始めるまでの時間（ミリ秒）"));
        HScroll1[i] = bar;
        Label1[i] = new QLabel(QString::number(bar->value()), Frame6);
        Label1[i]->setGeometry(302, y, 42, 18);
        Label1[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    auto* light = new QGroupBox(QStringLiteral("バックライト"), owner);
    light->setToolTip(
        QStringLiteral("パネルの照明（OFF・ON1・ON2）と整理券番号の色を切り替えます"));
    light->setGeometry(190, 70, 165, 42);
    const QString lightNames[3] = {QStringLiteral("OFF"), QStringLiteral("ON1"),
                                   QStringLiteral("ON2")};
    for (size_t i = 0; i < Option4.size(); ++i) {
        Option4[i] = new QRadioButton(lightNames[i], light);
        Option4[i]->setGeometry(8 + static_cast<int>(i) * 52, 18, 50, 20);
    }
    Option4[0]->setChecked(true);

    Command4 = new QPushButton(QStringLiteral("設定..."), owner);
    Command4->setGeometry(190, 118, 54, 26);
    Command4->setToolTip(QStringLiteral("オプションを設定します"));
    Command8 = new QPushButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), owner);
    Command8->setGeometry(248, 118, 54, 26);
    Command8->setToolTip(QStringLiteral("バージョン情報を表示します"));
    Check4 = new QPushButton(QStringLiteral(">>"), owner);
    Check4->setCheckable(true);
    Check4->setGeometry(306, 118, 48, 26);
    Check4->setToolTip(QStringLiteral("整理券プレビューを開きます"));
}

void PanelControls::buildPreviewSide(QWidget* owner) {
    // The preview side, revealed by the wider panel.
    (new QLabel(QStringLiteral("整理券プレビュー"), owner))->setGeometry(366, 4, 200, 16);
    picSeirikenPrev = new QLabel(owner);
    picSeirikenPrev->setGeometry(366, 22, 228, 200);
    picSeirikenPrev->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picSeirikenPrev->setAutoFillBackground(true);
    QPalette pal = picSeirikenPrev->palette();
    pal.setColor(QPalette::Window, Qt::white);
    picSeirikenPrev->setPalette(pal);
    Combo1 = new QComboBox(owner);
    Combo1->setGeometry(366, 228, 228, 24);
    MnuHide = new QMenu(owner);
    MnuHideCopy = MnuHide->addAction(QStringLiteral("コピー(&C)"));
}

void PanelControls::buildAutoAndRecording(QWidget* owner) {
    cmdAuto = litToggle(owner, QStringLiteral("自動"), QStringLiteral("cmdAuto"),
                        QStringLiteral("background-color: #bfe3bf; border: 1px solid #4a8a4a;"));
    cmdAuto->setGeometry(190, 152, 54, 26);
    cmdAuto->setToolTip(QStringLiteral("停留所ごとに放送して、右の秒数ずつ自動で進みます"));
    spnAutoInterval = new QSpinBox(owner);
    spnAutoInterval->setObjectName(QStringLiteral("spnAutoInterval"));
    spnAutoInterval->setRange(1, 600);
    spnAutoInterval->setValue(8);
    spnAutoInterval->setSuffix(QStringLiteral(" 秒"));
    spnAutoInterval->setGeometry(248, 152, 70, 26);

    cmdRecord = litToggle(owner, QStringLiteral("録画"), QStringLiteral("cmdRecord"),
                          QStringLiteral("background-color: #f2c0c0; border: 1px solid #b03030;"));
    cmdRecord->setGeometry(190, 184, 54, 26);
    cmdRecord->setToolTip(QStringLiteral("表示器を音声付きの動画に録画します"));
    cmdRouteImport = new QPushButton(QStringLiteral("路線取込..."), owner);
    cmdRouteImport->setObjectName(QStringLiteral("cmdRouteImport"));
    cmdRouteImport->setGeometry(190, 216, 80, 26);
    cmdRouteImport->setToolTip(
        QStringLiteral("事業者が公開しているバス情報（GTFS-JP）から路線を取り込みます"));
    lblRecord = new QLabel(owner);
    lblRecord->setGeometry(250, 184, 104, 26);
    lblRecord->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
}
