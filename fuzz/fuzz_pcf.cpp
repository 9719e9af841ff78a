// Feeds arbitrary bytes to the bitmap font reader: it must refuse or read them without
// running past the end, and every glyph it returns must fit its own bitmap.
#include "PcfFont.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto font = PcfFont::parse(bytes);
    if (!font)
        return 0;
    for (unsigned code : {0x41u, 0x2121u, 0x3158u, 0xB1u})
        if (const PcfFont::Glyph* g = font->glyph(code))
            if (g->bits.size() != static_cast<size_t>(g->width * g->height))
                std::abort();
    return 0;
}
