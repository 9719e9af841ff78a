#pragma once
// The pictures of one segment digit cell made from its state alone, so the board window
// and the window-free renderer draw a cell from the same code: the cell at 1x (dim "8"s
// under the lit text), as shown at a zoom with the LED look's glow, and its lit segments
// alone on transparency for overlays.
#include "DigitRules.h"
#include "LedLook.h"

#include <QImage>
#include <map>
#include <memory>
#include <tuple>

class SegmentGlyphs;

class DigitPainter {
  public:
    // `bold`: the segment face's weight, the display system's choice for every cell.
    explicit DigitPainter(bool bold);
    ~DigitPainter();
    DigitPainter(const DigitPainter&) = delete;
    DigitPainter& operator=(const DigitPainter&) = delete;

    // The cell at 1x (RGB32), the text lit being `lit` (litText of the state).
    QImage base(const DigitState& st, const QString& lit);
    // `base` as shown at `zoom`, with the glow round lit segments in the LED look.
    QImage shown(const DigitState& st, const QString& lit, const QImage& base, int zoom,
                 const LedLook& look);
    // Only what is lit, at `zoom`, premultiplied on transparency.
    QImage litOnly(const DigitState& st, const QString& lit, int zoom);

    static QSize baseSize(const DigitState& st);
    // One painter per weight for the whole program (the UI thread's), sharing outlines.
    static DigitPainter& shared(bool bold);

  private:
    const SegmentGlyphs& glyphs(const DigitState& st);
    // One position's picture (the dim "8" under `c`) in the state's face and colours, or
    // none when the character's outline may reach past its position.
    const QImage* tile(const DigitState& st, QChar c);
    struct TileKey {
        int style, cellW, height;
        uint32_t back, unlit, lit;
        char16_t c;
        auto operator<=>(const TileKey&) const = default;
    };
    std::map<TileKey, QImage> tiles_;

    bool bold_;
    std::map<std::tuple<int, int, int>, std::unique_ptr<SegmentGlyphs>> glyphs_;
};

// A colour of the 0xBBGGRR integer form as a QColor.
QColor colorFromBgr(uint32_t bgr);
uint32_t bgrFromColor(const QColor& c);
