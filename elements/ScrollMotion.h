#pragma once
// The scroll of a long stop name as a pure state machine, advanced one iteration per
// elapsed millisecond: the strip starts just outside the right edge, moves left, and
// after passing the left edge waits ScrollStartWait ms outside the right edge again.
#include "Limits.h"

#include <cstdint>

class ScrollMotion {
  public:
    explicit ScrollMotion(int stripWidth, int viewportWidth = limits::kChimeiViewport);

    // Goes on from `left` (pixels) without a pause.
    void jumpTo(int left) {
        pos_ = left;
        left_ = left;
        pauseLeft_ = 0;
    }
    // Runs the iterations of `elapsedMs` milliseconds with the current speed and pause.
    void advance(int64_t elapsedMs, int speed, int32_t startWait);

    int left() const { return left_; }       // strip left edge shown now, pixels
    double position() const { return pos_; } // exact scroll position
    bool pausing() const { return pauseLeft_ > 0; }
    int64_t passes() const { return passes_; }

  private:
    void iterate(int speed, int32_t startWait);

    int stripWidth_;
    int viewportWidth_;
    double pos_;
    int left_;
    int64_t pauseLeft_ = 0;
    int64_t passes_ = 0;
};
