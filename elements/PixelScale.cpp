#include "PixelScale.h"

#include <cstring>

QImage pixelScale(const QImage& img, int n) {
    if (n <= 1 || img.isNull())
        return img;
    const int bpp = img.depth() / 8;
    if (bpp != 4)
        return pixelScale(img.convertToFormat(QImage::Format_ARGB32), n);
    QImage out(img.width() * n, img.height() * n, img.format());
    for (int y = 0; y < img.height(); ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        auto* first = reinterpret_cast<uint32_t*>(out.scanLine(y * n));
        uint32_t* d = first;
        for (int x = 0; x < img.width(); ++x)
            for (int k = 0; k < n; ++k)
                *d++ = src[x];
        // The other rows of the block are copies of the first.
        for (int k = 1; k < n; ++k)
            std::memcpy(out.scanLine(y * n + k), first, static_cast<size_t>(out.width()) * 4);
    }
    return out;
}
