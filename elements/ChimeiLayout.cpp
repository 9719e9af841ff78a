#include "ChimeiLayout.h"

#include "ByteText.h"
#include "Cp932.h"

#include <array>

namespace {
struct Placement {
    int x0;
    int pitch;
};
// Indexed by the character count (0-8, 8 standing for 8 or more).
constexpr std::array<Placement, 9> kPlain = {
    {{0, 0}, {188, 0}, {135, 108}, {81, 108}, {67, 81}, {27, 81}, {21, 66}, {18, 57}, {0, 54}}};
constexpr std::array<Placement, 9> kWithPrefix = {{{0, 0},
                                                   {242, 0},
                                                   {188, 108},
                                                   {162, 81},
                                                   {135, 72},
                                                   {135, 54},
                                                   {108, 54},
                                                   {108, 54},
                                                   {108, 54}}};
} // namespace

ChimeiLayout layoutChimei(int byteLength, bool prefixShown) {
    ChimeiLayout l;
    l.byteLength = byteLength;
    l.charCount = byteLength / 2;
    l.units = byteLength / 2 + (byteLength % 2);
    l.startLeft = l.charCount >= 9 ? kViewportWidth : 0;
    const Placement& pl = (prefixShown ? kWithPrefix : kPlain)[std::min(l.charCount, 8)];
    l.x0 = pl.x0;
    l.pitch = pl.pitch;
    int n = byteLength;
    if (prefixShown && l.charCount >= 1)
        n = byteLength + 4;
    if ((l.charCount == 7 && prefixShown) || l.charCount >= 8)
        l.stripWidth = (n / 2) * kCellPixels;
    l.scrolls = n / 2 >= 9;
    return l;
}

std::vector<QString> chimeiUnits(std::string_view bytes) {
    std::vector<QString> units;
    const int len = static_cast<int>(bytes.size());
    const int count = len / 2 + (len % 2);
    units.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i)
        units.push_back(cp932::decode(ApiLib::MidB(bytes, 2 * i - 1, 2)));
    return units;
}

std::vector<QString> chimeiUnits(const QString& name) {
    return chimeiUnits(cp932::encode(name));
}

bool chimeiScrolls(int byteLength, bool prefixShown) {
    return layoutChimei(byteLength, prefixShown).scrolls;
}

QString replaceUnit(const QString& unit) {
    if (unit == QStringLiteral("丨"))
        return QStringLiteral("ー");
    if (unit == QStringLiteral("｜"))
        return QStringLiteral("－");
    if (unit == QStringLiteral("↓"))
        return QStringLiteral("→");
    if (unit == QStringLiteral("↑"))
        return QStringLiteral("←");
    return unit;
}

Face faceForName(int fontMode, unsigned code) {
    const bool nonKanji = code >= 0x8000 && code <= 0x889E;
    const bool alnum = code >= 0x824F && code <= 0x829A;
    switch (fontMode) {
    case 1:
        return Face::Mincho;
    case 2:
        return nonKanji ? Face::Mincho : Face::Gothic;
    case 3:
        return nonKanji ? Face::Gothic : Face::Mincho;
    case 4:
        return alnum ? Face::Gothic : Face::Mincho;
    default:
        return Face::Gothic;
    }
}

std::optional<std::pair<Face, Face>> tsugiwaFaces(int mode) {
    switch (mode) {
    case 0:
        return std::pair{Face::Gothic, Face::Gothic};
    case 1:
        return std::pair{Face::Gothic, Face::Mincho};
    case 2:
        return std::pair{Face::Mincho, Face::Mincho};
    case 3:
        return std::pair{Face::Mincho, Face::Gothic};
    default:
        return std::nullopt;
    }
}

double scrollStepPerIteration(int speed) {
    return (speed / 200) + speed / 200.0;
}
