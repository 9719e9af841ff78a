#include "Glow.h"

#include <algorithm>
#include <vector>

namespace {
// One box pass along rows (rows = true) or columns of a width x height field.
void boxPass(const std::vector<float>& in, std::vector<float>& out, int width, int height, int r,
             bool rows) {
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    const int step = rows ? 1 : width;
    const float scale = 1.0f / static_cast<float>(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        const int base = rows ? l * width : l;
        auto at = [&](int i) { return in[static_cast<size_t>(base + i * step)]; };
        float sum = 0;
        for (int i = 0; i <= std::min(r, length - 1); ++i)
            sum += at(i);
        for (int i = 0; i < length; ++i) {
            out[static_cast<size_t>(base + i * step)] = sum * scale;
            const int add = i + r + 1, drop = i - r;
            sum += (add < length ? at(add) : 0.0f) - (drop >= 0 ? at(drop) : 0.0f);
        }
    }
}
} // namespace

QImage blurCoverage(const QImage& coverage, int radius) {
    const QImage in = coverage.convertToFormat(QImage::Format_RGB32);
    const int w = in.width(), h = in.height();
    if (radius <= 0 || w <= 0 || h <= 0)
        return in;
    std::vector<float> a(static_cast<size_t>(w) * static_cast<size_t>(h)), b(a.size());
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[static_cast<size_t>(y * w + x)] = static_cast<float>(qRed(line[x])) / 255.0f;
    }
    const int r = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, w, h, r, true);
        boxPass(b, a, w, h, r, false);
    }
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int v = static_cast<int>(
                std::clamp(a[static_cast<size_t>(y * w + x)], 0.0f, 1.0f) * 255.0f + 0.5f);
            line[x] = qRgb(v, v, v);
        }
    }
    return out;
}

void addGlow(QImage& img, const QImage& coverage, const QImage& halo, QRgb color, float strength) {
    if (coverage.size() != img.size() || halo.size() != img.size() ||
        coverage.format() != QImage::Format_RGB32 || halo.format() != QImage::Format_RGB32)
        return;
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32)
        img = img.convertToFormat(QImage::Format_RGB32);
    const int cr = qRed(color), cg = qGreen(color), cb = qBlue(color);
    // Integer blending: the share of the glow colour in 1/65025ths.
    const int most = static_cast<int>(std::clamp(strength, 0.0f, 1.0f) * 255.0f + 0.5f);
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const auto* inside = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        const auto* soft = reinterpret_cast<const QRgb*>(halo.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if ((soft[x] & 0xFF0000u) == 0)
                continue;
            const int a = std::min(255, qRed(soft[x]) * 2) * most / 255 * (255 - qRed(inside[x]));
            if (a < 128)
                continue;
            const QRgb p = line[x];
            auto mix = [a](int from, int to) { return from + ((to - from) * a + 32512) / 65025; };
            line[x] = qRgba(mix(qRed(p), cr), mix(qGreen(p), cg), mix(qBlue(p), cb), qAlpha(p));
        }
    }
}
