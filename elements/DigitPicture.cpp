#include "DigitPicture.h"

#include "ColorCodes.h"
#include "Glow.h"
#include "PixelScale.h"
#include "SegmentGlyphs.h"

#include <QPainter>
#include <vector>

QColor colorFromBgr(uint32_t bgr) {
    return QColor::fromRgb(argbFromBgr(bgr));
}

uint32_t bgrFromColor(const QColor& c) {
    return bgrFromArgb(c.rgb());
}

DigitPainter::DigitPainter(bool bold) : bold_(bold) {}
DigitPainter::~DigitPainter() = default;

DigitPainter& DigitPainter::shared(bool bold) {
    static DigitPainter plain(false), heavy(true);
    return bold ? heavy : plain;
}

QSize DigitPainter::baseSize(const DigitState& st) {
    return {std::max(1, st.pixelWidth()), std::max(1, st.pixelHeight())};
}

const SegmentGlyphs& DigitPainter::glyphs(const DigitState& st) {
    const int cellW = digitSizeClass(st.DegitSize).digitWidthTwips / limits::kTwipsPerPixel;
    const auto key = std::make_tuple(int(st.DegitStyle), cellW, st.pixelHeight());
    auto& g = glyphs_[key];
    if (!g)
        g = std::make_unique<SegmentGlyphs>(digitFaceName(st.DegitStyle), bold_, cellW,
                                            st.pixelHeight());
    return *g;
}

const QImage* DigitPainter::tile(const DigitState& st, QChar c) {
    const int cellW = digitSizeClass(st.DegitSize).digitWidthTwips / limits::kTwipsPerPixel;
    const TileKey key{
        st.DegitStyle,     cellW,      st.pixelHeight(), st.BackColor, st.BaseForeColor,
        st.DegitForeColor, c.unicode()};
    auto it = tiles_.find(key);
    if (it != tiles_.end())
        return it->second.isNull() ? nullptr : &it->second;
    QImage& t = tiles_[key];
    const SegmentGlyphs& g = glyphs(st);
    // Shifted by whole positions an outline covers the same pixels, so a position drawn
    // alone is the same as drawn in its place; only an outline inside its own position
    // (its edge pixels included) can be drawn so.
    const QRectF inside(0, -1e6, cellW, 2e6);
    if (!inside.contains(g.glyph(QLatin1Char('8'), 0).controlPointRect()) ||
        !inside.contains(g.glyph(c, 0).controlPointRect()))
        return nullptr;
    t = QImage(cellW, st.pixelHeight(), QImage::Format_RGB32);
    t.fill(colorFromBgr(st.BackColor));
    QPainter p(&t);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colorFromBgr(st.BaseForeColor));
    p.drawPath(g.glyph(QLatin1Char('8'), 0));
    p.setBrush(colorFromBgr(st.DegitForeColor));
    p.drawPath(g.glyph(c, 0));
    return &t;
}

QImage DigitPainter::base(const DigitState& st, const QString& lit) {
    QImage img(baseSize(st), QImage::Format_RGB32);
    img.fill(colorFromBgr(st.BackColor));
    const QString shownText = positionText(lit, st.Keta);
    const int cellW = digitSizeClass(st.DegitSize).digitWidthTwips / limits::kTwipsPerPixel;
    std::vector<const QImage*> tiles;
    for (int i = 0; i < st.Keta; ++i)
        if (const QImage* t = tile(st, shownText.at(i)))
            tiles.push_back(t);
    if (static_cast<int>(tiles.size()) == st.Keta) {
        QPainter p(&img);
        for (int i = 0; i < st.Keta; ++i)
            p.drawImage(i * cellW, 0, *tiles[static_cast<size_t>(i)]);
        return img;
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const SegmentGlyphs& g = glyphs(st);
    const QString shown = positionText(lit, st.Keta);
    const QColor unlit = colorFromBgr(st.BaseForeColor);
    const QColor on = colorFromBgr(st.DegitForeColor);
    for (int i = 0; i < st.Keta; ++i) {
        p.setBrush(unlit);
        p.drawPath(g.glyph(QLatin1Char('8'), i));
        p.setBrush(on);
        p.drawPath(g.glyph(shown.at(i), i));
    }
    return img;
}

QImage DigitPainter::shown(const DigitState& st, const QString& lit, const QImage& base, int zoom,
                           const LedLook& look) {
    const bool glow = look.on && look.glow && !lit.trimmed().isEmpty();
    if (zoom == 1 && !glow)
        return base;
    QImage out = pixelScale(base, zoom);
    if (!glow)
        return out;
    // Coverage of the lit segments at 1x, as the picture draws them; enlarged by whole
    // pixels it is exactly where the shown segments are lit. The halo is blurred at 1x
    // (cheap) and enlarged smoothly, being soft anyway.
    QImage cover(base.size(), QImage::Format_RGB32);
    cover.fill(Qt::black);
    {
        QPainter p(&cover);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const SegmentGlyphs& g = glyphs(st);
        const QString shownText = positionText(lit, st.Keta);
        for (int i = 0; i < st.Keta; ++i)
            p.drawPath(g.glyph(shownText.at(i), i));
    }
    QImage halo(out.size(), QImage::Format_RGB32);
    {
        QPainter p(&halo);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(halo.rect(), blurCoverage(cover, 3));
    }
    addGlow(out, pixelScale(cover, zoom), halo, colorFromBgr(st.DegitForeColor).rgb(), 0.45f);
    return out;
}

QImage DigitPainter::litOnly(const DigitState& st, const QString& lit, int zoom) {
    QImage img(baseSize(st), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colorFromBgr(st.DegitForeColor));
        const SegmentGlyphs& g = glyphs(st);
        const QString shown = positionText(lit, st.Keta);
        for (int i = 0; i < st.Keta; ++i)
            p.drawPath(g.glyph(shown.at(i), i));
    }
    return zoom == 1 ? img : pixelScale(img, zoom);
}
