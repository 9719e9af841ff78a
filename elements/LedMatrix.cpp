#include "LedMatrix.h"

#include "ChimeiLayout.h"

#include <QRadialGradient>
#include <cmath>

namespace {
// Columns drawn beyond the strip on either side, so the glow of its edge LEDs is kept.
constexpr int kPad = 2;
// Share of the lit colour an unlit LED shows over the face.
constexpr double kUnlitShare = 0.16;
// Share of the background's brightness the face keeps.
constexpr double kFaceShare = 0.3;

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

std::optional<QRgb> ledPresetColor(int color) {
    switch (color) {
    case 1:
        return qRgb(255, 168, 0); // amber
    case 2:
        return qRgb(255, 104, 16); // orange
    default:
        return std::nullopt;
    }
}

QPoint LedMatrix::centre(int column, int row, int zoom) {
    const int p = 3 * zoom;
    return {column * p + p / 2, zoom + row * p + p / 2};
}

QRgb LedMatrix::faceColor(QRgb back) {
    // LEDs sit on a dark face whatever grey the line's background is: its hue, darker.
    auto dark = [](int v) { return static_cast<int>(std::lround(v * kFaceShare)); };
    return qRgb(dark(qRed(back)), dark(qGreen(back)), dark(qBlue(back)));
}

QRgb LedMatrix::unlitColor(QRgb face, QRgb lit) {
    auto mix = [](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * kUnlitShare));
    };
    return qRgb(mix(qRed(face), qRed(lit)), mix(qGreen(face), qGreen(lit)),
                mix(qBlue(face), qBlue(lit)));
}

const QImage& LedMatrix::sprite(QRgb color) {
    auto it = sprites_.find(color);
    if (it != sprites_.end())
        return it->second;
    const int p = pitch();
    QImage img(p, p, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter g(&img);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor::fromRgb(color));
    if (zoom_ == 1) {
        // Too small for a round shape: the raster's own 2 x 2 dot.
        g.drawRect(0, 0, 2, 2);
    } else {
        g.setRenderHint(QPainter::Antialiasing);
        const double r = 0.37 * p;
        g.drawEllipse(QPointF(p / 2.0, p / 2.0), r, r);
    }
    g.end();
    return sprites_.emplace(color, std::move(img)).first->second;
}

const QImage& LedMatrix::glowSprite(QRgb color) {
    auto it = glows_.find(color);
    if (it != glows_.end())
        return it->second;
    const int p = pitch();
    const int size = 2 * static_cast<int>(std::ceil(1.6 * p));
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    QRadialGradient grad(QPointF(size / 2.0, size / 2.0), size / 2.0);
    QColor c = QColor::fromRgb(color);
    // Faint at the LED's own edge, so its rim stays as bright as without the glow.
    c.setAlpha(64);
    grad.setColorAt(0.0, c);
    grad.setColorAt(0.3, c);
    c.setAlpha(28);
    grad.setColorAt(0.6, c);
    c.setAlpha(0);
    grad.setColorAt(1.0, c);
    g.setPen(Qt::NoPen);
    g.setBrush(grad);
    g.drawEllipse(img.rect());
    g.end();
    return glows_.emplace(color, std::move(img)).first->second;
}

void LedMatrix::setStrip(const QImage& strip, QRgb back, QRgb tint, int zoom, const LedLook& look) {
    zoom = std::clamp(zoom, 1, kMaxScreenZoom);
    if (zoom != zoom_) {
        sprites_.clear();
        glows_.clear();
    }
    zoom_ = zoom;
    look_ = look;
    face_ = faceColor(back);
    const std::optional<QRgb> preset = ledPresetColor(look.color);
    unlit_ = unlitColor(face_, preset.value_or(tint));

    // The lit dots as the raster drew them: the top-left pixel of each 2 x 2 dot, on rows
    // 3 pixels apart. Cells start on a pixel one short of the pitch as well as on it, so
    // a dot is counted in the column its right pixel lies in.
    std::map<std::pair<int, int>, QRgb> lit;
    for (int r = 0; r < kRows && kDotPitch * r < strip.height(); ++r) {
        const auto* line = reinterpret_cast<const QRgb*>(strip.constScanLine(kDotPitch * r));
        for (int x = 0; x < strip.width(); ++x) {
            const QRgb c = line[x] & 0xFFFFFF;
            if (c != (back & 0xFFFFFF))
                lit.emplace(std::make_pair(floorDiv(x + 1, kDotPitch), r),
                            preset.value_or(qRgb(qRed(c), qGreen(c), qBlue(c))));
        }
    }
    const int columns = floorDiv(strip.width() + 1, kDotPitch) + 1;

    // The line with nothing lit, for the parts of the view the strip does not cover.
    const int p = pitch();
    blank_ = QImage(kColumns * p, (kRows * kDotPitch + 2) * zoom_, QImage::Format_RGB32);
    paintUnlit(blank_);
    drawStrip(lit, columns);
}

void LedMatrix::paintUnlit(QImage& img) {
    // One LED's cell as a tile, laid over the rows in one fill.
    const int p = pitch();
    QImage tile(p, p, QImage::Format_RGB32);
    tile.fill(QColor::fromRgb(face_));
    {
        QPainter t(&tile);
        t.drawImage(0, 0, sprite(unlit_));
    }
    QPainter g(&img);
    g.fillRect(img.rect(), QColor::fromRgb(face_));
    g.setBrushOrigin(0, zoom_);
    g.fillRect(QRect(0, zoom_, img.width(), kRows * p), QBrush(tile));
}

void LedMatrix::drawStrip(const std::map<std::pair<int, int>, QRgb>& lit, int columns) {
    const int p = pitch();
    stripLeds_ = QImage((columns + 2 * kPad) * p, blank_.height(), QImage::Format_RGB32);
    paintUnlit(stripLeds_);
    QPainter g(&stripLeds_);
    auto at = [&](int column, int row) { return centre(column + kPad, row, zoom_); };
    // The glow goes under the LEDs, which are opaque inside: a lit LED keeps its colour.
    if (look_.glow)
        for (const auto& [pos, color] : lit) {
            const QImage& halo = glowSprite(color);
            g.drawImage(at(pos.first, pos.second) - QPoint(halo.width() / 2, halo.height() / 2),
                        halo);
        }
    for (const auto& [pos, color] : lit)
        g.drawImage((pos.first + kPad) * p, zoom_ + pos.second * p, sprite(color));
}

void LedMatrix::paint(QPainter& painter, int stripLeft) const {
    const int p = pitch();
    const int x = (floorDiv(stripLeft, kDotPitch) - kPad) * p;
    const int w = blank_.width();
    const int from = std::clamp(x, 0, w);
    const int to = std::clamp(x + stripLeds_.width(), 0, w);
    if (from > 0)
        painter.drawImage(QRect(0, 0, from, blank_.height()), blank_,
                          QRect(0, 0, from, blank_.height()));
    if (to < w)
        painter.drawImage(QRect(to, 0, w - to, blank_.height()), blank_,
                          QRect(to, 0, w - to, blank_.height()));
    if (to > from)
        painter.drawImage(QRect(from, 0, to - from, blank_.height()), stripLeds_,
                          QRect(from - x, 0, to - from, blank_.height()));
}
