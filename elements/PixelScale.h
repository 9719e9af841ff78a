#pragma once
// Whole-pixel enlargement: every pixel becomes an n x n block, nothing blended, so a
// zoomed board keeps its sharp edges and equals the 1x picture pixel for pixel.
#include <QImage>
#include <QRect>

// `img` enlarged n times (n >= 1; 1 returns it unchanged). 32-bit formats are kept,
// others come back as ARGB32.
QImage pixelScale(const QImage& img, int n);

// A rectangle in 1x pixels as it lands on the n-times picture.
inline QRect scaledRect(const QRect& r, int n) {
    return {r.x() * n, r.y() * n, r.width() * n, r.height() * n};
}
