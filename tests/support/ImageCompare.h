#pragma once
// Comparing pictures with a tolerance: rendering and video coding may move a shade here
// and there, never a whole feature.
#include <QImage>
#include <algorithm>
#include <cstdlib>

// Pixels whose largest channel difference (alpha included) is above `shade`.
inline int pixelsDiffering(const QImage& a, const QImage& b, int shade = 24) {
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            off += d > shade ? 1 : 0;
        }
    return off;
}

// The mean difference of the colour channels, 0-255.
inline double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}
