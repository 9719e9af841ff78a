#include "DotRaster.h"

#include "ApiLib.h"
#include "BitmapGlyphs.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kScratch = 18;
constexpr int kSampled = 19;
} // namespace

QString familyOf(Face face) {
    return face == Face::Mincho ? ApiLib::minchoFamily() : ApiLib::gothicFamily();
}

namespace {
std::vector<QPoint> rasterise(const QString& text, const GlyphStyle& style);
}

namespace {
// Stop names repeat along a route; remember what each character sampled to.
QHash<QString, std::vector<QPoint>>& glyphCache() {
    static QHash<QString, std::vector<QPoint>> cache;
    return cache;
}
} // namespace

void clearGlyphCache() {
    glyphCache().clear();
}

std::vector<QPoint> sampleGlyph(const QString& text, const GlyphStyle& style) {
    if (text.isEmpty())
        return {};
    auto& cache = glyphCache();
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(text)
                            .arg(static_cast<int>(style.face))
                            .arg(style.bold)
                            .arg(style.pixelSize)
                            .arg(style.yOffset);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() > 4096)
        cache.clear();
    std::vector<QPoint> lit;
    // Full-size characters come from the hand-drawn 18-dot fonts when they have them; the
    // small は of 「次は」 and anything they lack are drawn from the outline faces.
    std::optional<std::vector<QPoint>> bitmap;
    if (bitmapGlyphsEnabled() && style.pixelSize == 19 && style.yOffset == 0)
        bitmap = BitmapGlyphs::system().sample(text, style.face, style.bold);
    if (bitmap) {
        lit = std::move(*bitmap);
        std::sort(lit.begin(), lit.end(), [](const QPoint& a, const QPoint& b) {
            return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
        });
    } else {
        lit = rasterise(text, style);
    }
    cache.insert(key, lit);
    return lit;
}

namespace {
bool& bitmapSwitch() {
    static bool on = true;
    return on;
}
} // namespace

bool bitmapGlyphsEnabled() {
    return bitmapSwitch();
}

void setBitmapGlyphsEnabled(bool on) {
    if (bitmapSwitch() != on)
        clearGlyphCache();
    bitmapSwitch() = on;
}

namespace {
std::vector<QPoint> rasterise(const QString& text, const GlyphStyle& style) {
    std::vector<QPoint> lit;
    QImage scratch(kScratch, kScratch, QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QFont font(familyOf(style.face));
        font.setPixelSize(style.pixelSize);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferBitmap));
        font.setHintingPreference(QFont::PreferFullHinting);
        QPainter p(&scratch);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
        p.setPen(Qt::black);
        // Qt places text by its baseline; the cell is addressed by its top-left corner.
        const int baseline = style.yOffset + QFontMetrics(font).ascent();
        p.drawText(0, baseline, text);
        // The typefaces have no bold design: a bold stroke is the glyph laid over itself
        // one pixel to the right, the way bitmap displays embolden.
        if (style.bold)
            p.drawText(1, baseline, text);
    }
    for (int c = 0; c < kSampled; ++c)
        for (int r = 0; r < kSampled; ++r)
            if (c < kScratch && r < kScratch && (scratch.pixel(c, r) & 0xFFFFFF) == 0)
                lit.emplace_back(c, r);
    return lit;
}
} // namespace

void paintDots(QImage& strip, int x, int y, const std::vector<QPoint>& lit, QRgb color) {
    QPainter p(&strip);
    for (const QPoint& d : lit)
        p.fillRect(x + kDotPitch * d.x(), y + kDotPitch * d.y(), 2, 2, QColor::fromRgb(color));
}
