#pragma once
// Seven-segment glyph outlines from the segment typeface, scaled so that the all-lit
// "8" fills one digit position exactly; every character of the face lands on the same
// box, so lit text always covers the unlit pattern.
#include <QChar>
#include <QHash>
#include <QPainterPath>
#include <QString>

class SegmentGlyphs {
  public:
    // Outlines of `face` (a segment face name such as "M_DegitB") in a position of
    // cellWidth x cellHeight pixels.
    SegmentGlyphs(const QString& face, bool bold, int cellWidth, int cellHeight);

    // Outline of `c` placed in position `index` (0 = leftmost); empty for a space.
    QPainterPath glyph(QChar c, int index) const;

  private:
    QPainterPath rawGlyph(QChar c) const;

    QString face_;
    bool bold_;
    int cellWidth_;
    QTransform fit_;
    mutable QHash<char16_t, QPainterPath> cache_;
};
