#pragma once
// A soft light around lit shapes, as LEDs behind a diffuser show it: the shapes' coverage
// blurred and laid over the picture only where the shapes are not, so a lit shape keeps
// its own colour.
#include <QImage>
#include <vector>

// Adds a glow of `color` around the shapes whose coverage (0-1 per pixel, the picture's
// size) is `mask`; `radius` in pixels, `strength` the most the glow covers (0-1).
void addGlow(QImage& img, const std::vector<float>& mask, QRgb color, int radius, float strength);

// `mask` blurred: three box passes each way, close to a Gaussian of about `radius`.
std::vector<float> blurMask(const std::vector<float>& mask, int width, int height, int radius);
