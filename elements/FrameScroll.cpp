#include "FrameScroll.h"

#include "ChimeiLayout.h"

#include <algorithm>

namespace {
// A dot is 3 pixels and a frame 1000/60 ms, so one pixel a millisecond is 50/9 dots a
// frame; counting in 36ths of a dot keeps every speed exact.
constexpr int64_t kParts = 36;
} // namespace

FrameScroll::FrameScroll(int stripWidth, int viewportWidth)
    : stripWidth_(stripWidth), viewportWidth_(viewportWidth), left_(viewportWidth) {}

int64_t FrameScroll::thirtySixthsPerFrame(int speed) {
    // (speed div 200 + speed / 200) px/ms = q / 200 px/ms with q as below; times 1000/60
    // ms a frame and 1/3 dot a pixel gives q / 36 dots a frame.
    const int64_t q = 200LL * (speed / 200) + speed;
    return std::max<int64_t>(0, q);
}

int FrameScroll::wholeFramesPerDot(int speed) {
    const int64_t q = thirtySixthsPerFrame(speed);
    return q > 0 && kParts % q == 0 ? static_cast<int>(kParts / q) : 0;
}

void FrameScroll::jumpTo(int left) {
    const int dots = std::max(0, (viewportWidth_ - left) / kDotPitch);
    travelled_ = static_cast<int64_t>(dots) * kParts;
    left_ = viewportWidth_ - kDotPitch * dots;
    pauseLeft_ = 0;
}

void FrameScroll::advance(int64_t frames, int speed, int32_t startWait) {
    for (int64_t i = 0; i < frames; ++i)
        frame(speed, startWait);
}

void FrameScroll::frame(int speed, int32_t startWait) {
    if (pauseLeft_ > 0) {
        --pauseLeft_;
        return;
    }
    travelled_ += thirtySixthsPerFrame(speed);
    left_ = viewportWidth_ - kDotPitch * static_cast<int>(travelled_ / kParts);
    if (left_ <= -stripWidth_) {
        // Past the left edge: back outside the right edge, where it waits.
        left_ = viewportWidth_;
        travelled_ = 0;
        pauseLeft_ = (std::max<int64_t>(0, startWait) * kFramesPerSecond + 500) / 1000;
        ++passes_;
    }
}
