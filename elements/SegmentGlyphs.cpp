#include "SegmentGlyphs.h"

#include <QFont>
#include <QTransform>
#include <algorithm>

namespace {
constexpr int kReferencePixels = 200;
}

SegmentGlyphs::SegmentGlyphs(const QString& face, bool bold, int cellWidth, int cellHeight)
    : face_(face), bold_(bold), cellWidth_(cellWidth) {
    // Map the outline of "8" onto the position, leaving a thin margin like a real
    // display has between digits; every other glyph uses the same mapping.
    const QRectF eight = rawGlyph(QLatin1Char('8')).boundingRect();
    const double marginX = std::max(1.0, cellWidth * 0.1);
    const double marginY = std::max(1.0, cellHeight * 0.08);
    const QRectF target(marginX, marginY, cellWidth - 2 * marginX, cellHeight - 2 * marginY);
    if (eight.width() > 0 && eight.height() > 0) {
        fit_ = QTransform::fromTranslate(-eight.left(), -eight.top()) *
               QTransform::fromScale(target.width() / eight.width(),
                                     target.height() / eight.height()) *
               QTransform::fromTranslate(target.left(), target.top());
    }
}

QPainterPath SegmentGlyphs::rawGlyph(QChar c) const {
    auto it = cache_.find(c.unicode());
    if (it != cache_.end())
        return *it;
    QFont font(face_);
    font.setPixelSize(kReferencePixels);
    font.setBold(bold_);
    font.setStyleStrategy(QFont::NoFontMerging);
    QPainterPath p;
    if (c != QLatin1Char(' '))
        p.addText(0, kReferencePixels, font, QString(c));
    cache_.insert(c.unicode(), p);
    return p;
}

QPainterPath SegmentGlyphs::glyph(QChar c, int index) const {
    if (c == QLatin1Char(' '))
        return {};
    return (fit_ * QTransform::fromTranslate(index * cellWidth_, 0)).map(rawGlyph(c));
}
