#pragma once
// Paints a stop line as the board shows it: the strip at a whole-pixel zoom on its
// background, as round LEDs in the LED look, or only its lit dots for an overlay. It keeps
// the enlarged strip or the LEDs drawn for the strip it last painted.
#include "LedLook.h"
#include "LedMatrix.h"
#include "StopLine.h"

#include <QImage>
#include <QPainter>

class StopLineView {
  public:
    enum class Layer { Whole, LitOnly };
    // Into the element's rectangle at the painter's origin (432 x 56 pixels at 1x, times
    // `zoom`), the strip's left edge at `left`; the caller clips to that rectangle.
    void paint(QPainter& p, const StopLine& line, int left, int zoom, const LedLook& look,
               Layer layer = Layer::Whole);
    // The LEDs as last drawn (the LED look only).
    const LedMatrix& leds() const { return leds_; }

  private:
    void prepare(const StopLine& line, int zoom, const LedLook& look);

    struct Key {
        uint64_t version = ~uint64_t{0};
        int zoom = 0;
        LedLook look;
        uint32_t back = 0, fore = 0;
        bool operator==(const Key&) const = default;
    };
    Key key_;
    QImage zoomedStrip_;
    LedMatrix leds_;
};
