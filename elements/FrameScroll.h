#pragma once
// The stop-name scroll of the LED look, counted in display frames (60 a second) and whole
// dots: every step lands on a frame, and at speeds whose dot time is a whole number of
// frames every step lasts exactly that many. The average speed is the millisecond
// motion's, (Speed div 200) + Speed / 200 pixels a millisecond.
#include "Limits.h"

#include <cstdint>

class FrameScroll {
  public:
    static constexpr int kFramesPerSecond = 60;

    explicit FrameScroll(int stripWidth, int viewportWidth = limits::kChimeiViewport);

    // Goes on from `left` (pixels, taken to the whole dot at or right of it).
    void jumpTo(int left);
    // Runs `frames` display frames with the current speed and pause.
    void advance(int64_t frames, int speed, int32_t startWait);

    int left() const { return left_; } // strip left edge, a whole number of dots in
    bool pausing() const { return pauseLeft_ > 0; }
    int64_t passes() const { return passes_; }

    // The speed as thirty-sixths of a dot a frame: 3 pixels a dot, 1000/60 ms a frame.
    static int64_t thirtySixthsPerFrame(int speed);
    // Frames a dot lasts at `speed` when that is a whole number, else 0.
    static int wholeFramesPerDot(int speed);

  private:
    void frame(int speed, int32_t startWait);

    int stripWidth_;
    int viewportWidth_;
    int left_;
    int64_t travelled_ = 0; // thirty-sixths of a dot into this pass
    int64_t pauseLeft_ = 0; // frames
    int64_t passes_ = 0;
};
