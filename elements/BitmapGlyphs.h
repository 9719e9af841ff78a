#pragma once
// Dot patterns from hand-drawn 18-dot bitmap fonts (the JIS X 0208 kanji set with its
// 9-dot Latin and kana companions), the way a real LED board's characters look. A
// character the fonts lack gives no pattern, and the caller falls back to an outline font.
#include "ChimeiLayout.h"
#include "PcfFont.h"

#include <QPoint>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class BitmapGlyphs {
  public:
    // Fonts are read from `folder` when first needed.
    explicit BitmapGlyphs(QString folder);
    // The fonts of this machine: $MINAMO_BITMAP_FONT_DIR, else X11's misc font folder.
    static BitmapGlyphs& system();

    // Lit cells (column, row) of `text` in an 18 x 18 cell, characters side by side from
    // the left; nothing when a character is missing from the fonts.
    std::optional<std::vector<QPoint>> sample(const QString& text, Face face, bool bold);
    // Whether the kanji fonts could be read at all.
    bool available(Face face, bool bold);

  private:
    enum Set { Kanji, Latin, Kana };
    const PcfFont* font(Set set, Face face, bool bold);

    QString folder_;
    // [set][face][bold]: loaded font, or empty after a failed load.
    struct Slot {
        bool tried = false;
        std::optional<PcfFont> font;
    };
    std::array<std::array<std::array<Slot, 2>, 2>, 3> fonts_{};
};

// The JIS X 0208 row/cell code (0x2121-0x7E7E) of a double-byte Shift-JIS character.
unsigned jisFromSjis(unsigned lead, unsigned trail);
