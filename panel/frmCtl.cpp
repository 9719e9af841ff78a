#include "frmCtl.h"

#include "CommandQueue.h"

#include "AutoRun.h"
#include "BoardLayout.h"
#include "BoardView.h"
#include "Clock.h"
#include "Companion.h"
#include "Options.h"
#include "PanelState.h"
#include "PreviewPicture.h"
#include "WindowShape.h"

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
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

namespace {

// The keys' rounded face: the region each keypad key is clipped to.
QRegion keyShape() {
    QRegion r;
    const auto spans = roundRectSpans(26, 23, 2, 2);
    for (size_t y = 0; y < spans.size(); ++y)
        r +=
            QRect(2 + spans[y].first, 2 + static_cast<int>(y), spans[y].second - spans[y].first, 1);
    return r;
}

} // namespace

frmCtl::frmCtl(PanelContext ctx, QWidget* parent) : QWidget(parent), ctx_(std::move(ctx)) {
    setObjectName(QStringLiteral("frmCtl"));
    setWindowTitle(QStringLiteral("集中操作盤"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFixedSize(board::px(kDesignWidthTwips), kPanelHeight);
    build(this);
    setPreviewTwips(picSeirikenPrev->width() * board::kTwipsPerPixel,
                    picSeirikenPrev->height() * board::kTwipsPerPixel);
    wireEntry();
    wireRightSide();
    wireAutoAndRecording();
    wireModels();
}

frmCtl::~frmCtl() = default;

void frmCtl::submit(const char* name, std::function<void()> fn) {
    if (ctx_.queue)
        ctx_.queue->submit(CommandQueue::Source::Panel, QString::fromLatin1(name), std::move(fn));
    else
        fn();
}

void frmCtl::wireEntry() {
    // Choosing a digit (not clearing the choice) is the list's click.
    auto wireList = [this](QListWidget* l, bool route, int index) {
        connect(l, &QListWidget::currentRowChanged, this, [this, route, index](int row) {
            submit("list", [this, route, index, row] {
                if (row < 0)
                    ctx_.trip.clearListDigit(route, index);
                else if (route)
                    List2_Click(index);
                else
                    List3_Click(index);
            });
        });
    };
    for (size_t k = 0; k < List2.size(); ++k)
        wireList(List2[k], true, static_cast<int>(k));
    for (size_t k = 0; k < List3.size(); ++k)
        wireList(List3[k], false, static_cast<int>(k));
    for (size_t i = 0; i < CommandButton1.size(); ++i)
        connect(CommandButton1[i], &QPushButton::clicked, this, [this, i] {
            submit("key", [this, i] { CommandButton1_Click(static_cast<int>(i)); });
        });
    for (int i = 0; i < 2; ++i)
        connect(Command1[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { submit("reset", [this, i] { Command1_Click(i); }); });
    Frame1[0]->installEventFilter(this);
    Frame1[1]->installEventFilter(this);
    connect(cmdTapeSet, &QPushButton::clicked, this,
            [this] { submit("tape adjust", [this] { cmdTapeSet_Click(); }); });
    connect(cmdTapeBack, &QPushButton::clicked, this,
            [this] { submit("back", [this] { cmdTapeBack_Click(); }); });
    connect(cmdTapeNext, &QPushButton::clicked, this,
            [this] { submit("next", [this] { cmdTapeNext_Click(); }); });
    connect(cmdTapeStop, &QPushButton::clicked, this,
            [this] { submit("stop", [this] { cmdTapeStop_Click(); }); });
}

void frmCtl::wireRightSide() {
    for (int i = 0; i < 2; ++i) {
        connect(Command2[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { submit("step", [this, i] { Command2_Click(i); }); });
        connect(HScroll1[static_cast<size_t>(i)], &QScrollBar::valueChanged, this,
                [this, i] { HScroll1_Change(i); });
    }
    connect(Check1, &QCheckBox::toggled, this,
            [this] { submit("blank", [this] { Check1_Click(); }); });
    connect(Check2, &QCheckBox::toggled, this,
            [this] { submit("late", [this] { Check2_Click(); }); });
    for (int i = 0; i < 3; ++i)
        connect(Option4[static_cast<size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                submit("backlight", [this, i] { Option4_Click(i); });
        });
    connect(Command4, &QPushButton::clicked, this, &frmCtl::Command4_Click);
    connect(Command8, &QPushButton::clicked, this, &frmCtl::Command8_Click);
    connect(Check4, &QPushButton::toggled, this, &frmCtl::Check4_Click);
    picSeirikenPrev->installEventFilter(this);
    connect(Combo1, &QComboBox::currentIndexChanged, &ctx_.state, &PanelState::setCompany);
    connect(MnuHideCopy, &QAction::triggered, this, &frmCtl::MnuHideCopy_Click);
}

void frmCtl::wireAutoAndRecording() {
    connect(cmdAuto, &QPushButton::clicked, this,
            [this] { submit("auto", [this] { cmdAuto_Click(); }); });
    // A new interval takes effect at once on a running trip.
    connect(spnAutoInterval, &QSpinBox::valueChanged, this, [this](int v) {
        if (ctx_.autoRun && ctx_.autoRun->running())
            ctx_.autoRun->start(v);
    });
    if (ctx_.autoRun)
        connect(ctx_.autoRun, &AutoRun::changed, this, [this] {
            cmdAuto->setChecked(ctx_.autoRun->running());
            refresh();
        });
    if (ctx_.following) {
        // The right button on 自動: follow the telemetry another program sends.
        cmdAuto->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(cmdAuto, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            QMenu menu(this);
            QAction* follow = menu.addAction(QStringLiteral("テレメトリに従う"));
            follow->setCheckable(true);
            follow->setChecked(ctx_.following());
            if (menu.exec(cmdAuto->mapToGlobal(at)) == follow)
                ctx_.setFollowing(follow->isChecked());
        });
    }
    connect(cmdRecord, &QPushButton::clicked, this, &frmCtl::cmdRecord_Click);
    if (ctx_.openExport) {
        cmdRecord->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(cmdRecord, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            QMenu menu(this);
            QAction* exportTrip = menu.addAction(QStringLiteral("書き出し..."));
            if (menu.exec(cmdRecord->mapToGlobal(at)) == exportTrip)
                ctx_.openExport();
        });
    }
    connect(cmdRouteImport, &QPushButton::clicked, this, [this] { ctx_.openRouteImport(); });
    recordClock_ = new QTimer(this);
    recordClock_->setInterval(500);
    connect(recordClock_, &QTimer::timeout, this, &frmCtl::showRecording);
}

void frmCtl::wireModels() {
    connect(&ctx_.trip, &Trip::changed, this, &frmCtl::refresh);
    connect(&ctx_.preview, &PreviewPicture::changed, this,
            [this] { picSeirikenPrev->setPixmap(QPixmap::fromImage(ctx_.preview.image())); });
    PanelState& s = ctx_.state;
    connect(&s, &PanelState::scrollChanged, this, &frmCtl::showScroll);
    connect(&s, &PanelState::backlightChanged, this, &frmCtl::showBacklight);
    connect(&s, &PanelState::entryPageChanged, this, &frmCtl::showEntryPage);
    connect(&s, &PanelState::expandedChanged, this, &frmCtl::showExpanded);
    connect(&s, &PanelState::companyChanged, Combo1, &QComboBox::setCurrentIndex);
    connect(&s, &PanelState::companiesChanged, this, [this](const QStringList& names) {
        const QSignalBlocker quiet(Combo1);
        Combo1->clear();
        Combo1->addItems(names);
    });
    showScroll(s.scrollSpeed(), s.scrollInterval());
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
    ctx_.board.setCaption(QStringLiteral("ミナモ - 型番:") + ctx_.modelName);
    const QRegion shape = keyShape();
    for (QPushButton* key : CommandButton1)
        key->setMask(shape);
    const bool speech = ctx_.trip.initSpeech();
    grpM_Tape->setEnabled(speech);
    grpM_Tape->setTitle(speech ? QStringLiteral("音合使用可") : QStringLiteral("音合使用不可"));
}

bool frmCtl::Form_QueryUnload() {
    const MsgResult r = Companion::current().messageBox(
        this, {QStringLiteral("ミナモの終了確認"), QStringLiteral("ミナモを終了しますか？"),
               MsgIcon::Question, MsgButtons::YesNo});
    if (r != MsgResult::Yes)
        return false;
    ctx_.board.clearStopName();
    ctx_.board.releaseShape();
    for (QPushButton* key : CommandButton1)
        key->clearMask();
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
    // What is greyed and what is on is decided once, for this panel and the browser's.
    const PanelPresentation p = presentation();
    Label2[0]->setText(p.route);
    Label2[2]->setText(p.section);
    Frame1[0]->setEnabled(p.entry);
    Frame1[1]->setEnabled(p.entry);
    Frame6->setEnabled(p.lateNight);
    Command2[0]->setEnabled(p.back);
    Command2[1]->setEnabled(p.next);
    Check1->setEnabled(p.blank);
    grpM_Tape->setEnabled(p.tape);
    cmdAuto->setEnabled(p.autoRun);
    // The switches show the trip's state, whoever turned it (a script, a client, the page).
    const QSignalBlocker quietBlank(Check1);
    Check1->setChecked(p.blankOn);
    const QSignalBlocker quiet(Check2);
    Check2->setChecked(p.lateNightOn);
}

PanelPresentation frmCtl::presentation() const {
    return presentPanel(ctx_.trip, ctx_.state, ctx_.autoRun && ctx_.autoRun->running());
}

void frmCtl::showScroll(int speed, int intervalMs) {
    HScroll1[0]->setValue(speed);
    HScroll1[1]->setValue(intervalMs);
    Label1[0]->setText(QString::number(speed));
    Label1[1]->setText(QString::number(intervalMs));
}

void frmCtl::showBacklight(int state) {
    const QSignalBlocker quiet(Option4[static_cast<size_t>(state)]);
    Option4[static_cast<size_t>(state)]->setChecked(true);
}

void frmCtl::showEntryPage(int page) {
    if (page == 0 || page == 1)
        Frame1[static_cast<size_t>(page)]->lower();
}

void frmCtl::showExpanded(bool on) {
    {
        const QSignalBlocker quiet(Check4);
        Check4->setChecked(on);
    }
    setOuterWidthTwips(on ? kExpandedWidthTwips : kDesignWidthTwips);
    if (on)
        keepOnScreen();
    Check4->setText(on ? QStringLiteral("<<") : QStringLiteral(">>"));
    Check4->setToolTip(on ? QStringLiteral("整理券プレビューを隠します")
                          : QStringLiteral("整理券プレビューを開きます"));
}

void frmCtl::Check4_Click() {
    ctx_.state.setExpanded(Check4->isChecked());
}

void frmCtl::HScroll1_Change(int index) {
    const int v = HScroll1[static_cast<size_t>(index)]->value();
    if (index == 0)
        ctx_.state.setScrollSpeed(v);
    else
        ctx_.state.setScrollInterval(v);
}

void frmCtl::Frame1_DblClick(int index) {
    ctx_.state.setEntryPage(index);
}

void frmCtl::Option4_Click(int index) {
    ctx_.state.setBacklight(index);
}

void frmCtl::Command4_Click() {
    ctx_.board.setInputEnabled(false);
    setEnabled(false);
    if (!ctx_.showOptions())
        optionsHidden();
}

void frmCtl::optionsHidden() {
    ctx_.board.setInputEnabled(true);
    setEnabled(true);
    ctx_.trip.redrawStopName();
}

QString frmCtl::versionText() const {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("機種：") + ctx_.modelName + crlf + QStringLiteral("バージョン：") +
           QStringLiteral(MINAMO_VERSION) + QStringLiteral("  ServiceRelease 1") + crlf + crlf +
           QStringLiteral("販売：ミナモ運賃表示研究会") + crlf +
           QStringLiteral("開発：ミナモ開発チーム 2004-%1").arg(ctx_.clock.today().year()) + crlf;
}

void frmCtl::Command8_Click() {
    ctx_.board.setInputEnabled(false);
    Companion::current().Call_dlg110(this, 1, versionText());
    ctx_.board.setInputEnabled(true);
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

void frmCtl::setPreviewTwips(int width, int height) {
    const int w = std::max(8, board::px(width));
    const int h = std::max(8, board::px(height));
    picSeirikenPrev->resize(w, h);
    ctx_.preview.resize(picSeirikenPrev->contentsRect().size());
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
    cb->setImage(ctx_.preview.image());
}
