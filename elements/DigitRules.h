#pragma once
// The rules of the segment digit element without any drawing: property write rules,
// size classes, and the text that lights for a value.
#include "DigitValue.h"
#include "Limits.h"

#include <QString>
#include <cstdint>

struct DigitSizeClass {
    int digitWidthTwips;
    int heightTwips;
    int fontPoints;
};

// The size class for a DegitSize value; any value other than 1-3 is class 0.
DigitSizeClass digitSizeClass(int16_t degitSize);

// Font face named by a DegitStyle value.
QString digitFaceName(int16_t degitStyle);

// Property state of one element, with the write rules applied by the setters.
struct DigitState {
    uint32_t BaseForeColor = 9868950;
    uint32_t DegitForeColor = 7525112;
    int16_t FillZero = 0;
    int16_t ZeroMode = 0;
    int16_t Shift = 0;
    int16_t Keta = 4;
    int16_t DegitSize = 0;
    int16_t DegitStyle = 0;
    DigitValue Value;
    bool UserSet = true;
    uint32_t BackColor = 8421504;

    bool operator==(const DigitState&) const = default;

    void setFillZero(int16_t v) { FillZero = v > Keta ? Keta : v; }
    void setZeroMode(int16_t v) { ZeroMode = v >= 4 ? 0 : v; }
    void setShift(int16_t v) {
        int16_t s = v > Keta - 1 ? static_cast<int16_t>(Keta - 1) : v;
        Shift = s < 0 ? 0 : s;
    }
    void setKeta(int16_t v) { Keta = (v < 1 || v > 15) ? 4 : v; }
    void setDegitSize(int16_t v) { DegitSize = (v >= 1 && v <= 3) ? v : 0; }

    // Element size in pixels at 15 twips per pixel.
    int pixelWidth() const {
        return digitSizeClass(DegitSize).digitWidthTwips * Keta / limits::kTwipsPerPixel;
    }
    int pixelHeight() const {
        return digitSizeClass(DegitSize).heightTwips / limits::kTwipsPerPixel;
    }
};

// The lit text for `value` under the element's ZeroMode, FillZero, Shift and Keta:
// at most Keta characters, right-aligned over the unlit pattern (spaces stay unlit).
QString litText(const DigitValue& value, const DigitState& st);

// The character shown in each of the Keta positions, left to right (space = unlit).
QString positionText(const QString& lit, int keta);
