#include "ChimeiCtl_DX.h"

#include "ChimeiLayout.h"
#include "Cp932.h"

#include <QPainter>

ChimeiCtl_DX::ChimeiCtl_DX(QWidget* parent)
    : QWidget(parent), own_(std::make_unique<StopLine>()), line_(own_.get()) {
    setFixedSize(kViewportWidth, StopLine::kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("停名表示"));
    timer_.setInterval(StopLine::kFrameMs);
    connect(&timer_, &SimTimer::timeout, this, &ChimeiCtl_DX::onTimer);
}

void ChimeiCtl_DX::bindLine(StopLine* line) {
    line_ = line ? line : own_.get();
    line_->setLook(look_, SimClock::global().nowMs());
    setAccessibleDescription(line_->name());
    timer_.stop();
    if (line_->scrolling())
        scrollStarted();
    update();
}

void ChimeiCtl_DX::setBackColor(uint32_t c) {
    line_->setBackColor(c);
    update();
}

void ChimeiCtl_DX::setAppearance(int16_t v) {
    s().appearance = v;
    setBackColor(s().backColor);
}

void ChimeiCtl_DX::SetChimei(const QString& name) {
    SetChimeiBytes(cp932::encode(name));
}

void ChimeiCtl_DX::SetChimeiBytes(std::string_view bytes) {
    const bool wasScrolling = line_->scrolling();
    const bool scrolls = line_->setName(bytes, SimClock::global().nowMs());
    setAccessibleDescription(line_->name());
    // An empty name leaves a running scroll moving the blank strip until the next name.
    if (!bytes.empty() || !wasScrolling)
        timer_.stop();
    if (scrolls)
        scrollStarted();
    update();
}

void ChimeiCtl_DX::scrollStarted() {
    timer_.setInterval(StopLine::kFrameMs);
    if (autoScroll_)
        timer_.start();
}

void ChimeiCtl_DX::DrawDot54(int x, int y, const QString& text) {
    line_->drawUnit(x, y, cp932::encode(text));
}

void ChimeiCtl_DX::DrawTsugiwa() {
    line_->drawTsugiwa();
}

void ChimeiCtl_DX::tick(int64_t elapsedMs) {
    const int before = line_->stripLeft();
    line_->tick(elapsedMs);
    if (line_->stripLeft() != before)
        update();
}

void ChimeiCtl_DX::tickFrames(int64_t frames) {
    const int before = line_->stripLeft();
    line_->tickFrames(frames);
    if (line_->stripLeft() != before)
        update();
}

void ChimeiCtl_DX::setAutoScroll(bool on) {
    autoScroll_ = on;
    if (!on)
        timer_.stop();
    else if (scrolling()) {
        line_->restartClock(SimClock::global().nowMs());
        timer_.start();
    }
}

void ChimeiCtl_DX::onTimer() {
    const int64_t now = SimClock::global().nowMs();
    if (line_->advanceTo(now))
        update();
    if (line_->ledLook()) {
        // The next step is due as the next display frame begins.
        constexpr int64_t kNsPerFrame = 1000000000 / FrameScroll::kFramesPerSecond;
        const int64_t ns = (now - line_->scrollStartMs()) * 1000000;
        const int64_t untilNext = (ns / kNsPerFrame + 1) * kNsPerFrame - ns;
        timer_.setInterval(static_cast<int>(std::max<int64_t>(1, (untilNext + 999999) / 1000000)));
    }
}

void ChimeiCtl_DX::setZoom(int n) {
    n = std::clamp(n, 1, kMaxScreenZoom);
    if (n == zoom_)
        return;
    zoom_ = n;
    setFixedSize(kViewportWidth * n, StopLine::kHeight * n);
    update();
}

void ChimeiCtl_DX::setLook(const LedLook& look) {
    if (look == look_)
        return;
    const bool switched = look.on != look_.on;
    look_ = look;
    if (switched) {
        line_->setLook(look, SimClock::global().nowMs());
        if (scrolling())
            scrollStarted();
    }
    update();
}

void ChimeiCtl_DX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    view_.paint(p, *line_, line_->stripLeft(), zoom_, look_);
}

void ChimeiCtl_DX::restoreProperties(const std::map<QString, QString>& bag) {
    line_->restoreProperties(bag);
    update();
}
