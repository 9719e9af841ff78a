#pragma once
// Stop-name layout rules, free of drawing: how a name's Shift-JIS units are placed in
// 54-pixel cells on the strip, how wide the strip is and whether the name scrolls.
#include "Limits.h"

#include <QString>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

constexpr int kViewportWidth = limits::kChimeiViewport;
constexpr int kCellPixels = 54;
constexpr int kDotPitch = 3;

struct ChimeiLayout {
    int byteLength = 0; // L
    int charCount = 0;  // k = L div 2
    int units = 0;      // cells drawn: L div 2, one more when L is odd
    int x0 = 0;         // left edge of the first cell
    int pitch = 0;      // distance between cells
    int stripWidth = kViewportWidth;
    int startLeft = 0; // strip position right after drawing
    bool scrolls = false;
};

ChimeiLayout layoutChimei(int byteLength, bool prefixShown);

// The name split into its drawn units (two CP932 bytes each), decoded for drawing. The
// bytes form walks the name once; the text form encodes it once and does the same.
std::vector<QString> chimeiUnits(std::string_view cp932Bytes);
std::vector<QString> chimeiUnits(const QString& name);

// Whether a name of `byteLength` CP932 bytes scrolls, with or without the 「次は」 prefix:
// the one rule the display and the fare file checks share.
bool chimeiScrolls(int byteLength, bool prefixShown);

// The substitution made for a unit that is exactly one of the four characters a dot
// display cannot show upright; any other unit is returned unchanged.
QString replaceUnit(const QString& unit);

enum class Face { Gothic, Mincho };

// Typeface of a name character by FontMode and the character's Shift-JIS code.
Face faceForName(int fontMode, unsigned sjisCode);
// Typefaces of "次" and "は" by TsugiwaFontMode; nothing for values that leave the
// scratch's last typeface in place.
std::optional<std::pair<Face, Face>> tsugiwaFaces(int tsugiwaFontMode);

// Pixels moved per scroll iteration: (Speed div 200) + Speed / 200.
double scrollStepPerIteration(int speed);
