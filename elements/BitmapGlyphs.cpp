#include "BitmapGlyphs.h"

#include "Cp932.h"

namespace {

constexpr int kCell = 18;

// File names of the 18-dot fonts by set, face (Gothic, Mincho) and weight.
const char* const kFiles[3][2][2] = {
    {{"k18gm.pcf.gz", "k18gmb.pcf.gz"}, {"k18m.pcf.gz", "k18mb.pcf.gz"}},
    {{"9x18gm.pcf.gz", "9x18gmb.pcf.gz"}, {"9x18m.pcf.gz", "9x18mb.pcf.gz"}},
    {{"9x18grkm.pcf.gz", "9x18grkmb.pcf.gz"}, {"9x18rkm.pcf.gz", "9x18rkmb.pcf.gz"}},
};

} // namespace

unsigned jisFromSjis(unsigned s1, unsigned s2) {
    unsigned j1 = (s1 - (s1 <= 0x9F ? 0x70u : 0xB0u)) << 1;
    unsigned j2;
    if (s2 < 0x9F) {
        j1 -= 1;
        j2 = s2 - (s2 >= 0x80 ? 0x20u : 0x1Fu);
    } else {
        j2 = s2 - 0x7E;
    }
    return (j1 << 8) | j2;
}

BitmapGlyphs::BitmapGlyphs(QString folder) : folder_(std::move(folder)) {}

BitmapGlyphs& BitmapGlyphs::system() {
    static BitmapGlyphs glyphs(qEnvironmentVariableIsSet("MINAMO_BITMAP_FONT_DIR")
                                   ? qEnvironmentVariable("MINAMO_BITMAP_FONT_DIR")
                                   : QStringLiteral("/usr/share/fonts/X11/misc"));
    return glyphs;
}

const PcfFont* BitmapGlyphs::font(Set set, Face face, bool bold) {
    Slot& s = fonts_[set][face == Face::Mincho ? 1 : 0][bold ? 1 : 0];
    if (!s.tried) {
        s.tried = true;
        s.font = PcfFont::load(folder_ + QLatin1Char('/') +
                               QString::fromLatin1(kFiles[set][face == Face::Mincho][bold]));
    }
    return s.font ? &*s.font : nullptr;
}

bool BitmapGlyphs::available(Face face, bool bold) {
    return font(Kanji, face, bold) != nullptr;
}

std::optional<std::vector<QPoint>> BitmapGlyphs::sample(const QString& text, Face face, bool bold) {
    const std::string bytes = cp932::encode(text);
    // A character the code page lacks comes back as "?": that is no glyph of ours.
    if (text.isEmpty() || cp932::decode(bytes) != text)
        return std::nullopt;
    std::vector<QPoint> lit;
    int x = 0;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const PcfFont* f = nullptr;
        unsigned code = 0;
        if (b < 0x80) {
            f = font(Latin, face, bold);
            code = b;
            i += 1;
        } else if (b >= 0xA1 && b <= 0xDF) {
            f = font(Kana, face, bold);
            code = b;
            i += 1;
        } else if (i + 1 < bytes.size()) {
            f = font(Kanji, face, bold);
            code = jisFromSjis(b, static_cast<unsigned char>(bytes[i + 1]));
            i += 2;
        } else {
            return std::nullopt;
        }
        const PcfFont::Glyph* g = f ? f->glyph(code) : nullptr;
        if (!g)
            return std::nullopt;
        for (int gy = 0; gy < g->height; ++gy)
            for (int gx = 0; gx < g->width; ++gx) {
                const int cx = x + g->left + gx, cy = g->top + gy;
                if (g->at(gx, gy) && cx >= 0 && cx < kCell && cy >= 0 && cy < kCell)
                    lit.emplace_back(cx, cy);
            }
        x += g->advance;
    }
    return lit;
}
