#include "frmCtl.h"

#include "DigitList.h"

#include "AppError.h"
#include "AutoRun.h"
#include "BoardLayout.h"
#include "Companion.h"
#include "Form1.h"
#include "Options.h"
#include "WindowPlacement.h"
#include "WindowShape.h"
#include "mdl527_000.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <limits>

namespace {

constexpr int kDesignWidthTwips = 5385;
constexpr int kExpandedWidthTwips = 9000;
constexpr int kPanelHeight = 336;

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

QRegion keyShape() {
    QRegion r;
    const auto spans = roundRectSpans(26, 23, 2, 2);
    for (int y = 0; y < static_cast<int>(spans.size()); ++y)
        r += QRect(2 + spans[static_cast<size_t>(y)].first, 2 + y,
                   spans[static_cast<size_t>(y)].second - spans[static_cast<size_t>(y)].first, 1);
    return r;
}

} // namespace

frmCtl::frmCtl(PanelContext ctx, QWidget* parent) : QWidget(parent), ctx_(std::move(ctx)) {
    setObjectName(QStringLiteral("frmCtl"));
    setWindowTitle(QStringLiteral("集中操作盤"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(board::px(kDesignWidthTwips), kPanelHeight);
    buildEntryPages();
    buildRightSide();
    buildAutoAndRecording();
    connect(&ctx_.trip, &Trip::changed, this, &frmCtl::refresh);
    connect(&ctx_.trip, &Trip::boardUpdated, this, &frmCtl::updatePreview);
}

frmCtl::~frmCtl() = default;

void frmCtl::buildEntryPages() {
    // List page: five route digit lists and three section digit lists.
    Frame1[0] = new QGroupBox(QStringLiteral("系統設定"), this);
    Frame1[0]->setGeometry(4, 2, 180, 194);
    Frame1[0]->setAutoFillBackground(true);
    auto* lr = new QLabel(QStringLiteral("系　統"), Frame1[0]);
    lr->setGeometry(8, 18, 90, 14);
    auto* ls = new QLabel(QStringLiteral("区間"), Frame1[0]);
    ls->setGeometry(114, 18, 60, 14);
    // A digit list; choosing a digit (not clearing the choice) calls `click` with its index.
    auto makeList = [this](int x, int index, void (frmCtl::*click)(int)) {
        auto* l = new DigitList(Frame1[0]);
        l->setGeometry(x, 34, 19, 124);
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setUniformItemSizes(true);
        connect(l, &QListWidget::currentRowChanged, this, [this, index, click](int row) {
            if (row >= 0)
                (this->*click)(index);
            else
                ctx_.trip.clearListDigit(click == &frmCtl::List2_Click, index);
        });
        return l;
    };
    for (int k = 0; k < 5; ++k)
        List2[static_cast<size_t>(k)] = makeList(8 + k * 20, k, &frmCtl::List2_Click);
    for (int k = 0; k < 3; ++k)
        List3[static_cast<size_t>(k)] = makeList(114 + k * 20, k, &frmCtl::List3_Click);
    Command1[0] = new QPushButton(QStringLiteral("リセット"), Frame1[0]);
    Command1[0]->setGeometry(8, 162, 164, 26);
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });

    // Keypad page, in front at start.
    Frame1[1] = new QGroupBox(QStringLiteral("系統設定"), this);
    Frame1[1]->setGeometry(4, 2, 180, 194);
    Frame1[1]->setAutoFillBackground(true);
    Label2[0] = sunkenLabel(Frame1[1], {8, 20, 78, 24});
    auto* dash = new QLabel(QStringLiteral("-"), Frame1[1]);
    dash->setGeometry(88, 20, 12, 24);
    dash->setAlignment(Qt::AlignCenter);
    Label2[1] = dash;
    Label2[2] = sunkenLabel(Frame1[1], {102, 20, 70, 24});
    const int layout[4][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}, {0, 10, 11}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const int i = layout[r][c];
            const QString caption = i == 10   ? QStringLiteral("系統")
                                    : i == 11 ? QStringLiteral("区間")
                                              : QString::number(i);
            auto* b = new QPushButton(caption, Frame1[1]);
            b->setGeometry(6 + c * 30, 50 + r * 27, 30, 27);
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
                          : i == 11
                              ? QStringLiteral("区間（乗り始める停留所の番号）の入力を始めます")
                              : QStringLiteral("系統または区間の数字を入力します"));
            CommandButton1[static_cast<size_t>(i)] = b;
            connect(b, &QPushButton::clicked, this, [this, i] { CommandButton1_Click(i); });
        }
    Command1[1] = new QPushButton(QStringLiteral("リセット"), Frame1[1]);
    Command1[1]->setGeometry(104, 52, 68, 104);
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    Command1[1]->setToolTip(QStringLiteral("入力した系統と区間で運行を始めます"));
    Command1[0]->setToolTip(QStringLiteral("選んだ系統と区間で運行を始めます"));
    Frame1[1]->setToolTip(QStringLiteral("系統 → 番号 → 区間 → 番号 → リセット の順に押します。\n"
                                         "ダブルクリックでリスト入力に切り替えます"));
    Frame1[0]->setToolTip(QStringLiteral(
        "各桁の数字を選んでリセットを押します。\nダブルクリックでキー入力に切り替えます"));
    Frame1[0]->installEventFilter(this);
    Frame1[1]->installEventFilter(this);
    Frame1[1]->raise();

    // Announcement group, below the entry pages.
    grpM_Tape = new QGroupBox(QStringLiteral("音合使用不可"), this);
    grpM_Tape->setGeometry(4, 200, 180, 60);
    grpM_Tape->setEnabled(false);
    const QString tapeCaptions[4] = {QStringLiteral("調整"), QStringLiteral("戻し"),
                                     QStringLiteral("送り"), QStringLiteral("■")};
    std::array<QPushButton**, 4> tapeButtons = {&cmdTapeSet, &cmdTapeBack, &cmdTapeNext,
                                                &cmdTapeStop};
    for (int i = 0; i < 4; ++i) {
        *tapeButtons[static_cast<size_t>(i)] = new QPushButton(tapeCaptions[i], grpM_Tape);
        (*tapeButtons[static_cast<size_t>(i)])->setGeometry(6 + i * 42, 20, 40, 32);
    }
    connect(cmdTapeSet, &QPushButton::clicked, this, &frmCtl::cmdTapeSet_Click);
    connect(cmdTapeBack, &QPushButton::clicked, this, &frmCtl::cmdTapeBack_Click);
    connect(cmdTapeNext, &QPushButton::clicked, this, &frmCtl::cmdTapeNext_Click);
    connect(cmdTapeStop, &QPushButton::clicked, this, &frmCtl::cmdTapeStop_Click);
}

void frmCtl::buildRightSide() {
    Command2[0] = new QPushButton(QStringLiteral("データ戻し"), this);
    Command2[0]->setGeometry(190, 8, 80, 32);
    Command2[1] = new QPushButton(QStringLiteral("データ送り"), this);
    Command2[1]->setGeometry(274, 8, 80, 32);
    Command2[0]->setToolTip(QStringLiteral("一つ前の停留所に戻します"));
    Command2[1]->setToolTip(QStringLiteral("次の停留所に進めます"));
    for (int i = 0; i < 2; ++i) {
        Command2[static_cast<size_t>(i)]->setEnabled(false);
        connect(Command2[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { Command2_Click(i); });
    }
    Check1 = new QCheckBox(QStringLiteral("表示消去"), this);
    Check1->setGeometry(192, 46, 100, 20);
    Check1->setEnabled(false);
    Check1->setToolTip(QStringLiteral("運賃表示器を消灯します。外すと元の表示に戻ります"));
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });

    Frame6 = new QGroupBox(this);
    // Late night and the two scroll bars across the panel's whole width, so the bars have
    // the travel a fine speed setting needs.
    Frame6->setGeometry(4, 264, 351, 68);
    Check2 = new QCheckBox(QStringLiteral("深夜料金"), Frame6);
    Check2->setGeometry(8, 2, 100, 20);
    connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    Check2->setToolTip(QStringLiteral("次の表示更新から運賃を2倍で表示します"));
    const QString names[2] = {QStringLiteral("ｽｸﾛｰﾙ速度"), QStringLiteral("ｽｸﾛｰﾙ間隔")};
    const int ranges[2][2] = {{1, 2000}, {0, 3000}};
    for (int i = 0; i < 2; ++i) {
        auto* cap = new QLabel(names[i], Frame6);
        cap->setGeometry(8, 24 + i * 21, 60, 18);
        auto* bar = new QScrollBar(Qt::Horizontal, Frame6);
        bar->setGeometry(70, 24 + i * 21, 228, 18);
        bar->setRange(ranges[i][0], ranges[i][1]);
        bar->setSingleStep(1);
        bar->setPageStep(i == 0 ? 10 : 100);
        bar->setValue(ranges[i][0]);
        bar->setToolTip(
            i == 0 ? QStringLiteral("長い停名が流れる速さ")
                   : QStringLiteral("停名が流れ終わってから次に流れ始めるまでの時間（ミリ秒）"));
        HScroll1[static_cast<size_t>(i)] = bar;
        Label1[static_cast<size_t>(i)] = new QLabel(QString::number(bar->value()), Frame6);
        Label1[static_cast<size_t>(i)]->setGeometry(302, 24 + i * 21, 42, 18);
        Label1[static_cast<size_t>(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(bar, &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
    }

    auto* light = new QGroupBox(QStringLiteral("バックライト"), this);
    light->setToolTip(
        QStringLiteral("パネルの照明（OFF・ON1・ON2）と整理券番号の色を切り替えます"));
    light->setGeometry(190, 70, 165, 42);
    const QString lightNames[3] = {QStringLiteral("OFF"), QStringLiteral("ON1"),
                                   QStringLiteral("ON2")};
    for (int i = 0; i < 3; ++i) {
        Option4[static_cast<size_t>(i)] = new QRadioButton(lightNames[i], light);
        Option4[static_cast<size_t>(i)]->setGeometry(8 + i * 52, 18, 50, 20);
        connect(Option4[static_cast<size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option4_Click(i);
        });
    }
    Option4[0]->blockSignals(true);
    Option4[0]->setChecked(true);
    Option4[0]->blockSignals(false);

    Command4 = new QPushButton(QStringLiteral("設定..."), this);
    Command4->setGeometry(190, 118, 54, 26);
    connect(Command4, &QPushButton::clicked, this, &frmCtl::Command4_Click);
    Command4->setToolTip(QStringLiteral("オプションを設定します"));
    Command8 = new QPushButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), this);
    Command8->setGeometry(248, 118, 54, 26);
    connect(Command8, &QPushButton::clicked, this, &frmCtl::Command8_Click);
    Command8->setToolTip(QStringLiteral("バージョン情報を表示します"));
    Check4 = new QPushButton(QStringLiteral(">>"), this);
    Check4->setCheckable(true);
    Check4->setGeometry(306, 118, 48, 26);
    Check4->setToolTip(QStringLiteral("整理券プレビューを開きます"));
    connect(Check4, &QPushButton::toggled, this, &frmCtl::Check4_Click);

    // The preview side, revealed by the wider panel.
    auto* prevCap = new QLabel(QStringLiteral("整理券プレビュー"), this);
    prevCap->setGeometry(366, 4, 200, 16);
    picSeirikenPrev = new QLabel(this);
    picSeirikenPrev->setGeometry(366, 22, 228, 200);
    picSeirikenPrev->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picSeirikenPrev->setAutoFillBackground(true);
    QPalette pal = picSeirikenPrev->palette();
    pal.setColor(QPalette::Window, Qt::white);
    picSeirikenPrev->setPalette(pal);
    picSeirikenPrev->installEventFilter(this);
    previewImage = QImage(picSeirikenPrev->contentsRect().size(), QImage::Format_RGB32);
    previewImage.fill(Qt::white);
    picSeirikenPrev->setPixmap(QPixmap::fromImage(previewImage));
    Combo1 = new QComboBox(this);
    Combo1->setGeometry(366, 228, 228, 24);
    MnuHide = new QMenu(this);
    MnuHideCopy = MnuHide->addAction(QStringLiteral("コピー(&C)"));
    connect(MnuHideCopy, &QAction::triggered, this, &frmCtl::MnuHideCopy_Click);
}

void frmCtl::buildAutoAndRecording() {
    cmdAuto = new QPushButton(QStringLiteral("自動"), this);
    cmdAuto->setObjectName(QStringLiteral("cmdAuto"));
    cmdAuto->setCheckable(true);
    cmdAuto->setGeometry(190, 152, 54, 26);
    cmdAuto->setToolTip(QStringLiteral("停留所ごとに放送して、右の秒数ずつ自動で進みます"));
    connect(cmdAuto, &QPushButton::clicked, this, &frmCtl::cmdAuto_Click);
    // Pressed in, and lit, while it runs: the style's own pressed look is too faint.
    cmdAuto->setStyleSheet(QStringLiteral(
        "QPushButton:checked { background-color: #bfe3bf; border: 1px solid #4a8a4a; }"));
    spnAutoInterval = new QSpinBox(this);
    spnAutoInterval->setObjectName(QStringLiteral("spnAutoInterval"));
    spnAutoInterval->setRange(1, 600);
    spnAutoInterval->setValue(8);
    spnAutoInterval->setSuffix(QStringLiteral(" 秒"));
    spnAutoInterval->setGeometry(248, 152, 70, 26);
    // A new interval takes effect at once on a running trip.
    connect(spnAutoInterval, &QSpinBox::valueChanged, this, [this](int v) {
        if (ctx_.autoRun && ctx_.autoRun->running())
            ctx_.autoRun->start(v);
    });
    if (ctx_.autoRun)
        connect(ctx_.autoRun, &AutoRun::changed, this,
                [this] { cmdAuto->setChecked(ctx_.autoRun->running()); });

    cmdRecord = new QPushButton(QStringLiteral("録画"), this);
    cmdRecord->setObjectName(QStringLiteral("cmdRecord"));
    cmdRecord->setCheckable(true);
    cmdRecord->setGeometry(190, 184, 54, 26);
    cmdRecord->setToolTip(QStringLiteral("表示器を音声付きの動画に録画します"));
    connect(cmdRecord, &QPushButton::clicked, this, &frmCtl::cmdRecord_Click);
    cmdRecord->setStyleSheet(QStringLiteral(
        "QPushButton:checked { background-color: #f2c0c0; border: 1px solid #b03030; }"));
    lblRecord = new QLabel(this);
    lblRecord->setGeometry(250, 184, 104, 26);
    lblRecord->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    recordClock_ = new QTimer(this);
    recordClock_->setInterval(500);
    connect(recordClock_, &QTimer::timeout, this, &frmCtl::showRecording);
}

void frmCtl::cmdAuto_Click() {
    if (!ctx_.autoRun) {
        cmdAuto->setChecked(false);
        return;
    }
    if (cmdAuto->isChecked())
        cmdAuto->setChecked(ctx_.autoRun->start(spnAutoInterval->value()));
    else
        ctx_.autoRun->stop();
}

void frmCtl::cmdRecord_Click() {
    ctx_.setRecording(cmdRecord->isChecked());
    showRecording();
}

void frmCtl::showRecording() {
    const QString text = ctx_.recordingText();
    cmdRecord->setChecked(!text.isEmpty());
    lblRecord->setText(text);
    if (text.isEmpty())
        recordClock_->stop();
    else if (!recordClock_->isActive())
        recordClock_->start();
}

bool frmCtl::eventFilter(QObject* watched, QEvent* e) {
    if (watched == picSeirikenPrev && e->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(e);
        picSeirikenPrev_MouseDown(me->button(), me->globalPosition().toPoint());
        return true;
    }
    if (e->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 2; ++i)
            if (watched == Frame1[static_cast<size_t>(i)]) {
                Frame1_DblClick(i);
                return true;
            }
    }
    return QWidget::eventFilter(watched, e);
}

void frmCtl::Form_Load() {
    ctx_.board.setWindowTitle(QStringLiteral("ミナモ - 型番:") + ctx_.modelName);
    const QRegion shape = keyShape();
    for (size_t i = 0; i < CommandButton1.size(); ++i) {
        CommandButton1[i]->setMask(shape);
        keypadRegions_[i] = true;
    }
    if (ctx_.trip.initSpeech()) {
        grpM_Tape->setEnabled(true);
        grpM_Tape->setTitle(QStringLiteral("音合使用可"));
    } else {
        grpM_Tape->setEnabled(false);
        grpM_Tape->setTitle(QStringLiteral("音合使用不可"));
    }
}

bool frmCtl::Form_QueryUnload() {
    const MsgResult r = Companion::current().messageBox(
        this, {QStringLiteral("ミナモの終了確認"), QStringLiteral("ミナモを終了しますか？"),
               MsgIcon::Question, MsgButtons::YesNo});
    if (r != MsgResult::Yes)
        return false;
    ctx_.board.ChimeiCtl->SetChimei({});
    ctx_.board.DeleteRgn();
    for (size_t i = 0; i < CommandButton1.size(); ++i) {
        CommandButton1[i]->clearMask();
        keypadRegions_[i] = false;
    }
    ctx_.trip.closeDevices();
    ctx_.saveSettings();
    closing_ = true;
    ctx_.endProgram();
    return true;
}

void frmCtl::closeEvent(QCloseEvent* e) {
    if (closing_ || Form_QueryUnload())
        e->accept();
    else
        e->ignore();
}

void frmCtl::CommandButton1_Click(int index) {
    ctx_.trip.pressKey(index);
}

void frmCtl::List2_Click(int index) {
    ctx_.trip.chooseRouteDigit(index, List2[static_cast<size_t>(index)]->currentRow());
}

void frmCtl::List3_Click(int index) {
    ctx_.trip.chooseSectionDigit(index, List3[static_cast<size_t>(index)]->currentRow());
}

void frmCtl::Command1_Click(int index) {
    const Outcome o = ctx_.trip.setRoute(index == 1 ? EntryPage::Keypad : EntryPage::Lists);
    if (!o.ok)
        Companion::current().messageBox(this,
                                        {appTitle(), o.message, MsgIcon::None, MsgButtons::Ok});
}

void frmCtl::Command2_Click(int index) {
    ctx_.trip.step(index == 1);
}

void frmCtl::Check1_Click() {
    ctx_.trip.setBlank(Check1->isChecked());
}

void frmCtl::Check2_Click() {
    ctx_.trip.setLateNight(Check2->isChecked());
}

void frmCtl::refresh() {
    const Trip& t = ctx_.trip;
    Label2[0]->setText(t.keypad().route);
    Label2[2]->setText(t.keypad().section);
    const bool open = !t.blanked();
    Frame1[0]->setEnabled(open);
    Frame1[1]->setEnabled(open);
    Frame6->setEnabled(open);
    Command2[0]->setEnabled(open && t.routeSet());
    Command2[1]->setEnabled(open && t.routeSet());
    Check1->setEnabled(t.routeSet());
    grpM_Tape->setEnabled(t.tapeGroupEnabled());
    cmdAuto->setEnabled(t.routeSet() || cmdAuto->isChecked());
}

void frmCtl::setOuterWidthTwips(int twips) {
    // The widths are the window's outer ones, frame included, as the placement uses.
    const int frameExtra = frameGeometry().width() - width();
    setFixedWidth(board::px(twips) - frameExtra);
}

void frmCtl::keepOnScreen() {
    const QScreen* s = screen();
    if (!s || !isVisible())
        return;
    const QRect avail = s->availableGeometry();
    const QRect f = frameGeometry();
    if (f.right() > avail.right())
        move(pos() - QPoint(f.right() - avail.right(), 0));
}

void frmCtl::placeAtBottomRight() {
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect g = s->geometry();
    const QSize frame = frameGeometry().size();
    move(g.right() + 1 - frame.width(), g.bottom() + 1 - frame.height());
    placedAt_ = pos();
}

void frmCtl::settlePlacement() {
    // A window manager adds its frame after the window was first sized and placed: size
    // it again for the frame it now has, and place it again unless the operator moved it.
    setOuterWidthTwips(Check4->isChecked() ? kExpandedWidthTwips : kDesignWidthTwips);
    if (restoredAt_ && pos() != *restoredAt_)
        // Placed from the settings before the window manager framed it, the window may
        // have gone where its inside should be; the saved place is the frame's.
        move(*restoredAt_);
    else if (!restoredAt_ && pos() == placedAt_)
        placeAtBottomRight();
    restoredAt_.reset();
}

void frmCtl::Check4_Click() {
    if (Check4->isChecked()) {
        setOuterWidthTwips(kExpandedWidthTwips);
        keepOnScreen();
        Check4->setText(QStringLiteral("<<"));
        Check4->setToolTip(QStringLiteral("整理券プレビューを隠します"));
    } else {
        setOuterWidthTwips(kDesignWidthTwips);
        Check4->setText(QStringLiteral(">>"));
        Check4->setToolTip(QStringLiteral("整理券プレビューを開きます"));
    }
}

void frmCtl::HScroll1_Change(int index) {
    Label1[static_cast<size_t>(index)]->setText(
        QString::number(HScroll1[static_cast<size_t>(index)]->value()));
    ctx_.board.ChimeiCtl->setSpeed(static_cast<int16_t>(HScroll1[0]->value()));
    ctx_.board.ChimeiCtl->setScrollStartWait(HScroll1[1]->value());
}

void frmCtl::Frame1_DblClick(int index) {
    PanelPage = static_cast<int16_t>(index);
    Frame1[static_cast<size_t>(index)]->lower();
}

void frmCtl::Option4_Click(int index) {
    applyBacklight(ctx_.options, ctx_.board, index);
}

int frmCtl::backlight() const {
    if (Option4[0]->isChecked())
        return 0;
    return Option4[1]->isChecked() ? 1 : 2;
}

void frmCtl::Command4_Click() {
    ctx_.board.setEnabled(false);
    setEnabled(false);
    if (!ctx_.showOptions())
        optionsHidden();
}

void frmCtl::optionsHidden() {
    ctx_.board.setEnabled(true);
    setEnabled(true);
    ctx_.trip.redrawStopName();
}

QString frmCtl::versionText() const {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("機種：") + ctx_.modelName + crlf + QStringLiteral("バージョン：") +
           QStringLiteral(MINAMO_VERSION) + QStringLiteral("  ServiceRelease 1") + crlf + crlf +
           QStringLiteral("販売：ミナモ運賃表示研究会") + crlf +
           QStringLiteral("開発：ミナモ開発チーム 2004-%1").arg(ctx_.today().year()) + crlf;
}

void frmCtl::Command8_Click() {
    ctx_.board.setEnabled(false);
    Companion::current().Call_dlg110(this, 1, versionText());
    ctx_.board.setEnabled(true);
}

void frmCtl::cmdTapeBack_Click() {
    ctx_.trip.tapeBack();
}

void frmCtl::cmdTapeNext_Click() {
    ctx_.trip.tapeNext();
}

void frmCtl::cmdTapeSet_Click() {
    ctx_.trip.adjustVoice();
}

void frmCtl::cmdTapeStop_Click() {
    ctx_.trip.stopVoice();
}

void frmCtl::updatePreview(int row) {
    previewImage.fill(Qt::white);
    previewDrawn_ = false;
    const Options& o = ctx_.options;
    if (o.UseTicketPreview == 1) {
        SeirikenArgs args = seirikenArgs(ctx_.trip.table(), ctx_.trip.state(), o,
                                         ctx_.trip.RouteDate(), ctx_.now(), row);
        args.company = static_cast<int16_t>(Combo1->currentIndex());
        // The path goes to the draw call even when it did not load at start: what a bad
        // path draws is the plug-in side's affair (ours draws nothing).
        Companion::current().QV4_DrawSeiriken(o.PluginPath, previewImage, args);
        ctx_.trip.takeBackStopName(row, args.stopName);
        previewDrawn_ = true;
    }
    picSeirikenPrev->setPixmap(QPixmap::fromImage(previewImage));
}

void frmCtl::setPreviewTwips(int width, int height) {
    const int w = std::max(8, board::px(width));
    const int h = std::max(8, board::px(height));
    picSeirikenPrev->resize(w, h);
    previewImage = QImage(picSeirikenPrev->contentsRect().size(), QImage::Format_RGB32);
    previewImage.fill(Qt::white);
    previewDrawn_ = false;
    picSeirikenPrev->setPixmap(QPixmap::fromImage(previewImage));
    const int comboY = std::min(picSeirikenPrev->geometry().bottom() + 6, kPanelHeight - 28);
    Combo1->move(Combo1->x(), comboY);
}

int frmCtl::previewWidthTwips() const {
    return picSeirikenPrev->width() * board::kTwipsPerPixel;
}

int frmCtl::previewHeightTwips() const {
    return picSeirikenPrev->height() * board::kTwipsPerPixel;
}

bool frmCtl::picSeirikenPrev_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton)
        return false;
    MnuHide->popup(globalPos);
    return true;
}

void frmCtl::MnuHideCopy_Click() {
    QClipboard* cb = QGuiApplication::clipboard();
    cb->clear();
    cb->setImage(previewImage);
}

void frmCtl::GetCtrlDataInfo(CtrlDataInfo& info) const {
    info.PanelLeft = LeftTwips();
    info.PanelTop = TopTwips();
    info.ScrollSpeedValue = HScroll1[0]->value();
    info.ScrollIntervalValue = HScroll1[1]->value();
    info.PanelPage = PanelPage;
    info.PanelExpand = Check4->isChecked() ? 1 : 0;
    info.LateNightFare = Check2->isChecked() ? 1 : 0;
}

void frmCtl::SetCtrlDataInfo(const CtrlDataInfo& info) {
    moveTwips(info.PanelLeft, info.PanelTop);
    restoredAt_ = pos();
    // A place no screen shows any more would leave the panel out of reach.
    if (!visibleOnSomeScreen(frameGeometry())) {
        restoredAt_.reset();
        placeAtBottomRight();
    }
    // The scroll bars hold 16-bit values: anything wider is an error of the load.
    for (const int32_t v : {info.ScrollSpeedValue, info.ScrollIntervalValue})
        if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
            throw AppError(ErrNo::Overflow);
    HScroll1[0]->setValue(info.ScrollSpeedValue);
    HScroll1[1]->setValue(info.ScrollIntervalValue);
    PanelPage = info.PanelPage;
    Check4->setChecked(info.PanelExpand != 0);
    Check2->setChecked(info.LateNightFare != 0);
    Frame1_DblClick(PanelPage);
}

int frmCtl::widthTwips() const {
    return frameGeometry().width() * board::kTwipsPerPixel;
}
int frmCtl::LeftTwips() const {
    return frameGeometry().x() * board::kTwipsPerPixel;
}
int frmCtl::TopTwips() const {
    return frameGeometry().y() * board::kTwipsPerPixel;
}
void frmCtl::moveTwips(int left, int top) {
    move(board::px(left), board::px(top));
}
