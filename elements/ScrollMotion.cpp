#include "ScrollMotion.h"

#include <algorithm>
#include <cmath>

ScrollMotion::ScrollMotion(int stripWidth, int viewportWidth)
    : stripWidth_(stripWidth), viewportWidth_(viewportWidth), pos_(viewportWidth),
      left_(viewportWidth) {}

void ScrollMotion::advance(int64_t elapsedMs, int speed, int32_t startWait) {
    while (elapsedMs > 0) {
        if (pauseLeft_ > 0) {
            const int64_t used = std::min(pauseLeft_, elapsedMs);
            pauseLeft_ -= used;
            elapsedMs -= used;
            continue;
        }
        const int64_t before = passes_;
        iterate(speed, startWait);
        // A wrapping iteration sleeps the pause instead of the usual millisecond.
        if (passes_ == before)
            --elapsedMs;
    }
}

void ScrollMotion::iterate(int speed, int32_t startWait) {
    // Whole-pixel part first, the strip moves, then the fractional part follows, so a
    // slow speed still creeps along by its fraction.
    pos_ -= static_cast<double>(speed / 200); // whole-number division on purpose
    left_ = static_cast<int>(std::lround(pos_));
    if (left_ <= -stripWidth_) {
        left_ = viewportWidth_;
        pos_ = viewportWidth_;
        pauseLeft_ = std::max<int32_t>(0, startWait);
        ++passes_;
    }
    pos_ -= speed / 200.0;
}
