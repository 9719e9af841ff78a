#pragma once
// Turns one character into dots: from the 18-dot bitmap fonts where they have it, else
// drawn black on white, unsmoothed, on an 18 x 18 scratch image where every pure-black
// pixel becomes one dot.
#include "ChimeiLayout.h"

#include <QImage>
#include <QPoint>
#include <vector>

struct GlyphStyle {
    Face face = Face::Gothic;
    bool bold = false;
    int pixelSize = 19;
    int yOffset = 0; // text drawn this many pixels down on the scratch
};

// Lit scratch pixels (column, row) of `text`, columns and rows 0-18; the 19th column
// and row lie outside the scratch and never light.
std::vector<QPoint> sampleGlyph(const QString& text, const GlyphStyle& style);

// Paints the dots of `lit` as 2 x 2 squares on a 3-pixel pitch with the cell's
// top-left corner at (x, y).
void paintDots(QImage& strip, int x, int y, const std::vector<QPoint>& lit, QRgb color);

QString familyOf(Face face);

// Whether full-size characters come from the 18-dot bitmap fonts (on by default); off
// draws every character from the outline faces.
bool bitmapGlyphsEnabled();
void setBitmapGlyphsEnabled(bool on);

// Forgets the remembered glyph samples (benchmarks measure the cold path with it).
void clearGlyphCache();
