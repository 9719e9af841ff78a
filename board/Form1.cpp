#include "Form1.h"

#include "BoardLayout.h"
#include "BuiltInPanel.h"
#include "WindowPlacement.h"
#include "WindowShape.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

void SeiriLabel::mousePressEvent(QMouseEvent* e) {
    e->accept();
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

    imgRes_[0] = builtInPanelPicture();

    for (int n = 1; n <= kFareCells; ++n) {
        labels_[n] = makeLabel(this, labelRect(n), QStringLiteral("ＭＳ Ｐゴシック"), 14.25);
        labels_[n]->setObjectName(QStringLiteral("lblSeiriNum(%1)").arg(n));
        auto* d = new BoardDigit(this);
        d->setObjectName(QStringLiteral("Degit(%1)").arg(n));
        d->setKeta(3);
        d->setDegitSize(2);
        d->setDegitStyle(1);
        d->move(degitRect(n).topLeft());
        degits_[n] = d;
        connect(d, &M_Degit::DblClick, this, [this, n] { Degit_DblClick(n); });
    }
    // Hidden spares and the clock: created invisible, nothing shows them.
    degits_[0] = new M_Degit(this);
    degits_[0]->setGeometry(pxRect(2100, 30, 780, 300));
    degits_[0]->hide();
    labels_[0] =
        makeLabel(this, pxRect(1185, 45, 780, 240), QStringLiteral("テサリー数字平体"), 12.75);
    labels_[0]->hide();
    const int clockLeft[2] = {5445, 5850};
    for (int i = 0; i < 2; ++i) {
        timeDegits_[i] = new M_Degit(this);
        timeDegits_[i]->setKeta(2);
        timeDegits_[i]->move(pxRect(clockLeft[i], 30, 390, 300).topLeft());
        timeDegits_[i]->hide();
    }

    chimei_ = new BoardChimei(this);
    chimei_->setObjectName(QStringLiteral("ChimeiCtl"));
    chimei_->move(chimeiRect().topLeft());
    chimei_->setBackColor(4210752);
    chimei_->setForeColor(8438015);

    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
    timer1_.start();
}

void Form1::setPicture(const QImage& img) {
    picture_ = img;
    update();
}

int Form1::LeftTwips() const {
    return x() * board::kTwipsPerPixel;
}
int Form1::TopTwips() const {
    return y() * board::kTwipsPerPixel;
}
void Form1::moveTwips(int left, int top) {
    move(board::px(left), board::px(top));
}

void Form1::GetFormInfo(FormInfo& info) const {
    info.BoardLeft = LeftTwips();
    info.BoardTop = TopTwips();
}

void Form1::SetFormInfo(const FormInfo& info) {
    moveTwips(info.BoardLeft, info.BoardTop);
    if (!visibleOnSomeScreen(frameGeometry()))
        move(0, 0);
}

void Form1::applyShape() {
    QRegion shape;
    const auto spans = roundRectSpans(width(), height(), 3, 3);
    for (int y = 0; y < static_cast<int>(spans.size()); ++y) {
        const auto [l, r] = spans[static_cast<size_t>(y)];
        shape += QRect(l, y, r - l, 1);
    }
    setMask(shape);
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

QImage Form1::snapshot() {
    QImage flat(size(), QImage::Format_ARGB32);
    flat.fill(Qt::transparent);
    render(&flat, QPoint(), QRegion(rect()), QWidget::DrawChildren | QWidget::DrawWindowBackground);
    // Outside the window's shape (the rounded corners) is transparent; only those few
    // rectangles are touched, so a recording can take this picture 30 times a second.
    if (!mask().isEmpty()) {
        QPainter p(&flat);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : QRegion(rect()) - mask())
            p.fillRect(r, Qt::transparent);
    }
    return flat;
}

void Form1::closeEvent(QCloseEvent* e) {
    // The board stays: only the panel's confirmed quit ends the program, and it does so
    // without closing this window first.
    e->ignore();
    closeRequested();
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A picture smaller than the board leaves the window's own grey showing.
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.drawImage(0, 0, picture_);
}

void Form1::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
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
    return chimei_->TsugiwaMode();
}

std::optional<double> Form1::shownFare(int position) const {
    if (position < 1 || position > limits::kFareCells)
        return std::nullopt;
    bool ok = false;
    const double v = degits_[static_cast<size_t>(position)]->litNow().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

void Form1::clearStopName() {
    chimei_->SetChimei({});
}

void Form1::setScroll(int speed, int startWaitMs) {
    chimei_->setSpeed(static_cast<int16_t>(speed));
    chimei_->setScrollStartWait(startWaitMs);
}

void Form1::blank(bool on) {
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
