#include "Glow.h"

#include <algorithm>

namespace {
// One box pass along rows (step 1) or columns (step width) of a width x height field.
void boxPass(const std::vector<float>& in, std::vector<float>& out, int width, int height, int r,
             bool rows) {
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    const int step = rows ? 1 : width;
    const float scale = 1.0f / static_cast<float>(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        const int base = rows ? l * width : l;
        auto at = [&](int i) {
            return in[static_cast<size_t>(base + std::clamp(i, 0, length - 1) * step)];
        };
        float sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += i < 0 || i >= length ? 0.0f : at(i);
        for (int i = 0; i < length; ++i) {
            out[static_cast<size_t>(base + i * step)] = sum * scale;
            const int add = i + r + 1, drop = i - r;
            sum += (add < length ? at(add) : 0.0f) - (drop >= 0 ? at(drop) : 0.0f);
        }
    }
}
} // namespace

std::vector<float> blurMask(const std::vector<float>& mask, int width, int height, int radius) {
    if (radius <= 0 || width <= 0 || height <= 0)
        return mask;
    const int r = std::max(1, radius / 2);
    std::vector<float> a = mask, b(mask.size());
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, width, height, r, true);
        boxPass(b, a, width, height, r, false);
    }
    return a;
}

void addGlow(QImage& img, const std::vector<float>& mask, QRgb color, int radius, float strength) {
    const int w = img.width(), h = img.height();
    if (mask.size() != static_cast<size_t>(w) * static_cast<size_t>(h))
        return;
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
        img = img.convertToFormat(QImage::Format_RGB32);
    const std::vector<float> soft = blurMask(mask, w, h, radius);
    const float cr = static_cast<float>(qRed(color)), cg = static_cast<float>(qGreen(color)),
                cb = static_cast<float>(qBlue(color));
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i =
                static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            const float a = std::min(1.0f, strength * soft[i] * 2.0f) * (1.0f - mask[i]);
            if (a <= 0.002f)
                continue;
            const QRgb p = line[x];
            auto mix = [a](float from, float to) {
                return static_cast<int>(from + (to - from) * a + 0.5f);
            };
            line[x] =
                qRgba(mix(static_cast<float>(qRed(p)), cr), mix(static_cast<float>(qGreen(p)), cg),
                      mix(static_cast<float>(qBlue(p)), cb), qAlpha(p));
        }
    }
}
