#pragma once
// A soft light around lit shapes, as LEDs behind a diffuser show it: the shapes' coverage
// blurred and laid over the picture only where the shapes are not, so a lit shape keeps
// its own colour.
#include <QImage>

// Coverages are RGB32 images whose red channel says how much of a pixel a shape covers
// (255 wholly): QPainter draws and scales those on one thread, without a pool.

// `coverage` blurred by three box passes each way, close to a Gaussian of about `radius`
// pixels.
QImage blurCoverage(const QImage& coverage, int radius);

// Lays `color` over `img` as far as `halo` says, at most `strength` (0-1), and only
// outside `coverage`; both coverages are the picture's size.
void addGlow(QImage& img, const QImage& coverage, const QImage& halo, QRgb color, float strength);
