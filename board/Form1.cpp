#include "Form1.h"

#include "ApiLib.h"
#include "BoardFit.h"
#include "BoardLayout.h"
#include "BuiltInPanel.h"
#include "PixelScale.h"
#include "WindowPlacement.h"
#include "WindowShape.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QWindow>

void SeiriLabel::mousePressEvent(QMouseEvent* e) {
    e->accept();
}

void SeiriLabel::setZoom(int zoom, const QRect& baseRect) {
    zoom_ = zoom;
    base_ = baseRect;
    update();
}

void SeiriLabel::paintEvent(QPaintEvent* e) {
    if (!shows) {
        QLabel::paintEvent(e);
        return;
    }
    if (zoom_ == 1) {
        QPainter p(this);
        paintBoardLabel(p, rect(), *shows);
        return;
    }
    // The text drawn exactly as at 1x, onto what lies beneath it there, then enlarged:
    // the zoomed board stays the 1x board pixel for pixel.
    QImage at1x = backdrop ? backdrop(base_) : QImage();
    if (at1x.size() != base_.size()) {
        at1x = QImage(base_.size(), QImage::Format_ARGB32);
        at1x.fill(Qt::transparent);
    }
    at1x.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    at1x.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    {
        QPainter p(&at1x);
        paintBoardLabel(p, at1x.rect(), *shows);
    }
    QPainter(this).drawImage(0, 0, pixelScale(at1x, zoom_));
}

namespace {

// A fare digit keeps presses to itself; only the panel picture drags the board.
class BoardDigit : public M_Degit {
  public:
    using M_Degit::M_Degit;

  protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
};

class BoardChimei : public ChimeiCtl_DX {
  public:
    using ChimeiCtl_DX::ChimeiCtl_DX;

  protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
};

SeiriLabel* makeLabel(QWidget* parent, const QRect& r, const QString& face, double points) {
    auto* l = new SeiriLabel(parent);
    l->setGeometry(r);
    l->setAlignment(Qt::AlignCenter);
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setAutoFillBackground(false);
    QFont f(face);
    f.setBold(true);
    f.setPointSizeF(points);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    return l;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint | Qt::Window) {
    using namespace board;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form2"));
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);

    model_.panels[0] = builtInPanelPicture();
    model_.boldSegments = !ApiLib::isLegacyDisplaySystem();
    model_.labelDpi = logicalDpiY();
    model_.windowColour = palette().color(QPalette::Window).rgba();

    for (int n = 1; n <= kFareCells; ++n) {
        labels_[n] = makeLabel(this, labelRect(n), QStringLiteral("ＭＳ Ｐゴシック"), 14.25);
        labels_[n]->setObjectName(QStringLiteral("lblSeiriNum(%1)").arg(n));
        auto* d = new BoardDigit(this);
        d->bindState(&model_.cells[static_cast<size_t>(n)]);
        d->setObjectName(QStringLiteral("Degit(%1)").arg(n));
        d->setKeta(3);
        d->setDegitSize(2);
        d->setDegitStyle(1);
        degits_[n] = d;
        connect(d, &M_Degit::DblClick, this, [this, n] { Degit_DblClick(n); });
    }
    // Hidden spares and the clock: created invisible, nothing shows them.
    degits_[0] = new M_Degit(this);
    degits_[0]->bindState(&model_.cells[0]);
    degits_[0]->hide();
    labels_[0] =
        makeLabel(this, pxRect(1185, 45, 780, 240), QStringLiteral("テサリー数字平体"), 12.75);
    labels_[0]->hide();
    for (int i = 0; i < 2; ++i) {
        timeDegits_[i] = new M_Degit(this);
        timeDegits_[i]->bindState(&model_.clock[static_cast<size_t>(i)]);
        timeDegits_[i]->setKeta(2);
        timeDegits_[i]->hide();
    }

    chimei_ = new BoardChimei(this);
    chimei_->bindLine(&model_.stopLine);
    chimei_->setObjectName(QStringLiteral("ChimeiCtl"));
    chimei_->setBackColor(4210752);
    chimei_->setForeColor(8438015);
    for (size_t n = 0; n < labels_.size(); ++n) {
        labels_[n]->backdrop = [this](const QRect& r) { return backdrop(r); };
        BoardLabel& m = model_.labels[n];
        m.font = labels_[n]->font();
        m.visible = n != 0;
        labels_[n]->shows = &m;
    }
    placeElements();

    timer1_.setInterval(1000);
    connect(&timer1_, &SimTimer::timeout, this, &Form1::Timer1_Timer);
    timer1_.start();

    auto* full = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(full, &QShortcut::activated, this, [this] { setFullScreen(!fullScreen_); });
    auto* back = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(back, &QShortcut::activated, this, [this] { setFullScreen(false); });
}

void Form1::placeElements() {
    using namespace board;
    const int z = zoom_;
    auto at = [&](const QRect& r) { return QRect(origin_ + r.topLeft() * z, r.size() * z); };
    for (int n = 1; n <= kFareCells; ++n) {
        labels_[n]->setGeometry(at(labelRect(n)));
        labels_[n]->setZoom(z, labelRect(n));
        degits_[n]->setZoom(z);
        degits_[n]->move(at(degitRect(n)).topLeft());
    }
    degits_[0]->setZoom(z);
    degits_[0]->move(at(pxRect(2100, 30, 780, 300)).topLeft());
    const QRect spare = pxRect(1185, 45, 780, 240);
    labels_[0]->setGeometry(at(spare));
    labels_[0]->setZoom(z, spare);
    const int clockLeft[2] = {5445, 5850};
    for (int i = 0; i < 2; ++i) {
        timeDegits_[i]->setZoom(z);
        timeDegits_[i]->move(at(pxRect(clockLeft[i], 30, 390, 300)).topLeft());
    }
    chimei_->setZoom(z);
    chimei_->move(at(chimeiRect()).topLeft());
}

void Form1::applyZoom(int z) {
    z = std::clamp(z, 1, kMaxScreenZoom);
    if (z == zoom_)
        return;
    zoom_ = z;
    model_.zoom = z;
    zoomedPicture_ = pixelScale(model_.picture, zoom_);
    placeElements();
    update();
}

void Form1::setZoom(int n) {
    n = std::clamp(n, 1, kMaxZoom);
    if (fullScreen_) {
        normalZoom_ = n;
        return;
    }
    applyZoom(n);
    setFixedSize(QSize(board::kClientWidth, board::kClientHeight) * zoom_);
    if (shaped_)
        applyShape();
}

void Form1::setLook(const LedLook& look) {
    look_ = look;
    model_.look = look;
    for (M_Degit* d : degits_)
        d->setLook(look);
    for (M_Degit* d : timeDegits_)
        d->setLook(look);
    chimei_->setLook(look);
}

QRect Form1::boardRect() const {
    return {origin_, QSize(board::kClientWidth, board::kClientHeight) * zoom_};
}

void Form1::setFullScreen(bool on, QScreen* screen) {
    if (on == fullScreen_ && !(on && screen && screen != this->screen()))
        return;
    if (on) {
        if (!screen)
            screen = QGuiApplication::screenAt(frameGeometry().center());
        if (!screen)
            screen = this->screen();
        if (!fullScreen_) {
            normalPlace_ = pos();
            normalZoom_ = zoom_;
        }
        fullScreen_ = true;
        clearMask();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (screen) {
            if (windowHandle())
                windowHandle()->setScreen(screen);
            setGeometry(screen->geometry());
        }
        showFullScreen();
        resizeEvent(nullptr);
        return;
    }
    fullScreen_ = false;
    origin_ = {};
    showNormal();
    applyZoom(normalZoom_);
    setFixedSize(QSize(board::kClientWidth, board::kClientHeight) * zoom_);
    move(normalPlace_);
    placeElements();
    if (shaped_)
        applyShape();
    update();
}

void Form1::resizeEvent(QResizeEvent*) {
    if (!fullScreen_)
        return;
    const BoardFit fit =
        fitBoard(size(), QSize(board::kClientWidth, board::kClientHeight), kMaxScreenZoom);
    origin_ = fit.origin;
    // applyZoom places the elements only when the zoom changes; the origin may move alone.
    applyZoom(fit.zoom);
    placeElements();
    update();
}

QSize Form1::availableArea() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry().size() : QSize(1 << 20, 1 << 20);
}

int Form1::largestFittingZoom() const {
    return ::largestFittingZoom(availableArea(), QSize(board::kClientWidth, board::kClientHeight),
                                kMaxZoom);
}

std::unique_ptr<QMenu> Form1::makeMenu() {
    auto menu = std::make_unique<QMenu>(this);
    QMenu* zooms = menu->addMenu(QStringLiteral("表示倍率"));
    zooms->setToolTipsVisible(true);
    auto* zoomGroup = new QActionGroup(zooms);
    for (int n = 1; n <= kMaxZoom; ++n) {
        QAction* a =
            zooms->addAction(n == 1 ? QStringLiteral("等倍") : QStringLiteral("%1倍").arg(n));
        a->setCheckable(true);
        a->setChecked(zoom() == n);
        if (n > largestFittingZoom()) {
            // Greyed with the reason: the window would be cut off by the monitor.
            const QSize room = availableArea();
            a->setEnabled(false);
            a->setToolTip(QStringLiteral("この画面（%1×%2）には収まりません")
                              .arg(room.width())
                              .arg(room.height()));
        }
        zoomGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, n] { zoomChosen(n); });
    }
    QAction* full = menu->addAction(QStringLiteral("全画面表示"));
    full->setCheckable(true);
    full->setChecked(fullScreen_);
    full->setShortcut(QKeySequence(Qt::Key_F11));
    connect(full, &QAction::triggered, this, [this] { setFullScreen(!fullScreen_); });
    menu->addSeparator();
    auto choose = [this](auto change) {
        return [this, change] {
            LedLook l = look_;
            change(l);
            lookChosen(l);
        };
    };
    QAction* led = menu->addAction(QStringLiteral("LED表示"));
    led->setCheckable(true);
    led->setChecked(look_.on);
    connect(led, &QAction::triggered, this, choose([](LedLook& l) { l.on = !l.on; }));
    QAction* glow = menu->addAction(QStringLiteral("LEDの光のにじみ"));
    glow->setCheckable(true);
    glow->setChecked(look_.glow);
    glow->setEnabled(look_.on);
    connect(glow, &QAction::triggered, this, choose([](LedLook& l) { l.glow = !l.glow; }));
    QMenu* colours = menu->addMenu(QStringLiteral("LEDの色"));
    colours->setEnabled(look_.on);
    auto* colourGroup = new QActionGroup(colours);
    const QString names[3] = {QStringLiteral("設定の色"), QStringLiteral("アンバー"),
                              QStringLiteral("オレンジ")};
    for (int c = 0; c < 3; ++c) {
        QAction* a = colours->addAction(names[c]);
        a->setCheckable(true);
        a->setChecked(look_.color == c);
        colourGroup->addAction(a);
        connect(a, &QAction::triggered, this, choose([c](LedLook& l) { l.color = c; }));
    }
    return menu;
}

void Form1::contextMenuEvent(QContextMenuEvent* e) {
    const std::unique_ptr<QMenu> menu = makeMenu();
    menu->exec(e->globalPos());
}

QImage Form1::backdrop(const QRect& r) const {
    QImage img(r.size(), QImage::Format_ARGB32);
    img.fill(palette().color(QPalette::Window));
    QPainter p(&img);
    p.drawImage(-r.topLeft(), model_.picture);
    return img;
}

void Form1::setPicture(const QImage& img) {
    model_.picture = img;
    zoomedPicture_ = pixelScale(img, zoom_);
    update();
}

int Form1::LeftTwips() const {
    return (fullScreen_ ? normalPlace_.x() : x()) * board::kTwipsPerPixel;
}
int Form1::TopTwips() const {
    return (fullScreen_ ? normalPlace_.y() : y()) * board::kTwipsPerPixel;
}
void Form1::moveTwips(int left, int top) {
    const QPoint place(board::px(left), board::px(top));
    if (fullScreen_)
        normalPlace_ = place;
    else
        move(place);
}

void Form1::GetFormInfo(FormInfo& info) const {
    info.BoardLeft = LeftTwips();
    info.BoardTop = TopTwips();
}

void Form1::SetFormInfo(const FormInfo& info) {
    moveTwips(info.BoardLeft, info.BoardTop);
    if (fullScreen_) {
        if (!visibleOnSomeScreen(QRect(normalPlace_, frameGeometry().size())))
            normalPlace_ = {};
    } else if (!visibleOnSomeScreen(frameGeometry())) {
        move(0, 0);
    }
}

QRegion Form1::boardShape() const {
    // The 1x outline, each of its pixels a zoom x zoom block.
    QRegion shape;
    const int z = zoom_;
    const auto spans = roundRectSpans(board::kClientWidth, board::kClientHeight, 3, 3);
    for (int y = 0; y < static_cast<int>(spans.size()); ++y) {
        const auto [l, r] = spans[static_cast<size_t>(y)];
        shape += QRect(l * z, y * z, (r - l) * z, z);
    }
    return shape;
}

void Form1::applyShape() {
    shaped_ = true;
    model_.rounded = true;
    if (!fullScreen_)
        setMask(boardShape());
    update();
}

void Form1::Timer1_Timer() {
    const QTime now = clock_ ? clock_->time() : QTime::currentTime();
    const QString t = now.toString(QStringLiteral("HH:mm:ss"));
    timeDegits_[0]->setValue(t.mid(0, 2).toDouble());
    timeDegits_[1]->setValue(t.mid(3, 2).toDouble());
}

void Form1::Degit_DblClick(int index) {
    M_Degit* clicked = degits_[static_cast<size_t>(index)];
    if (!clicked->UserSet())
        return;
    setPanelEnabled(false);
    const int32_t result = clicked->ShowSetDlg();
    if (result == 1) {
        const int16_t zero = clicked->ZeroMode();
        const int16_t shift = clicked->Shift();
        const int16_t fill = clicked->FillZero();
        for (int j = 1; j <= board::kFareCells; ++j) {
            M_Degit* d = degits_[static_cast<size_t>(j)];
            const DigitValue v = d->Value();
            d->setShift(shift);
            d->setFillZero(fill);
            d->setZeroMode(zero);
            d->setValue(v);
        }
    }
    setPanelEnabled(true);
}

QImage Form1::render(int zoom, BoardBackground background, std::optional<int64_t> atMs) const {
    return renderBoard(model_, atMs.value_or(model_.stopLine.steppedToMs()), zoom, look_,
                       background);
}

QImage Form1::snapshot() {
    return render(zoom_, BoardBackground::Transparent);
}

QImage Form1::snapshot(Layers layers) {
    return render(zoom_,
                  layers == Layers::LitOnly ? BoardBackground::Lit : BoardBackground::Transparent);
}

QImage Form1::snapshot(int zoom) {
    return render(std::clamp(zoom, 1, kMaxZoom), BoardBackground::Transparent);
}

void Form1::setLabelText(int n, const QString& text) {
    model_.labels.at(static_cast<size_t>(n)).text = text;
    syncLabel(n);
}

void Form1::setLabelFont(int n, const QFont& font) {
    model_.labels.at(static_cast<size_t>(n)).font = font;
    syncLabel(n);
}

void Form1::setLabelColour(int n, QRgb colour) {
    model_.labels.at(static_cast<size_t>(n)).colour = colour;
    syncLabel(n);
}

void Form1::setLabelVisible(int n, bool on) {
    model_.labels.at(static_cast<size_t>(n)).visible = on;
    syncLabel(n);
}

void Form1::syncLabel(int n) {
    // The label widget keeps what it shows for accessibility and its size; it paints
    // from the model.
    const BoardLabel& m = model_.labels.at(static_cast<size_t>(n));
    SeiriLabel* l = labels_.at(static_cast<size_t>(n));
    l->setText(m.text);
    l->setFont(m.font);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor::fromRgba(m.colour));
    l->setPalette(pal);
    l->setVisible(m.visible);
    l->update();
}

void Form1::closeEvent(QCloseEvent* e) {
    // The board stays: only the panel's confirmed quit ends the program, and it does so
    // without closing this window first.
    e->ignore();
    closeRequested();
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect board = boardRect();
    if (fullScreen_)
        p.fillRect(rect(), Qt::black);
    // A picture smaller than the board leaves the window's own grey showing.
    p.fillRect(board, palette().color(QPalette::Window));
    p.drawImage(board.topLeft(), zoom_ == 1 ? model_.picture : zoomedPicture_);
    // Full screen has no window shape; the corners are cut on the black instead.
    if (fullScreen_ && shaped_)
        for (const QRect& r : QRegion(board) - boardShape().translated(board.topLeft()))
            p.fillRect(r, Qt::black);
}

void Form1::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || fullScreen_)
        return;
    // The window system moves the board as if its title bar were grabbed; without a
    // window manager that refuses, so the board follows the mouse by itself.
    manualDrag_ = !(windowHandle() && windowHandle()->startSystemMove());
    dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void Form1::mouseMoveEvent(QMouseEvent* e) {
    if (manualDrag_ && (e->buttons() & Qt::LeftButton))
        move(e->globalPosition().toPoint() - dragOffset_);
}

void Form1::mouseReleaseEvent(QMouseEvent*) {
    manualDrag_ = false;
}

void Form1::showFare(int position, const DigitValue& value) {
    if (position >= 0 && position < static_cast<int>(degits_.size()))
        degits_[static_cast<size_t>(position)]->setValue(value);
}

void Form1::lampTest(bool on) {
    for (int n = 1; n <= board::kFareCells; ++n) {
        if (on)
            degits_[static_cast<size_t>(n)]->ResetDegit(-1);
        else
            degits_[static_cast<size_t>(n)]->setValue(0.0);
    }
}

void Form1::showStopName(std::string_view cp932Name, int16_t drawMode, int16_t keepMode) {
    chimei_->setTsugiwaMode(drawMode);
    chimei_->SetChimeiBytes(cp932Name);
    chimei_->setTsugiwaMode(keepMode);
}

int16_t Form1::stopNameMode() const {
    return model_.stopLine.settings.tsugiwaMode;
}

std::optional<double> Form1::shownFare(int position) const {
    return model_.shownFare(position);
}

void Form1::clearStopName() {
    chimei_->SetChimei({});
}

void Form1::setScroll(int speed, int startWaitMs) {
    chimei_->setSpeed(static_cast<int16_t>(speed));
    chimei_->setScrollStartWait(startWaitMs);
}

void Form1::blank(bool on) {
    model_.blanked = on;
    if (!on) {
        if (timeDegits_[0]->isVisible())
            timer1_.start();
        return;
    }
    chimei_->SetChimei({});
    for (int n = 1; n <= board::kFareCells; ++n)
        degits_[static_cast<size_t>(n)]->ResetDegit(0);
    timer1_.stop();
    timeDegits_[0]->setValue(QString());
    timeDegits_[1]->setValue(QString());
}
