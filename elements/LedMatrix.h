#pragma once
// The stop-name line drawn as a whole matrix of round LEDs: lit dots in their colour,
// unlit ones faintly visible on the dark face, an optional glow that never darkens a lit
// LED. The LEDs are drawn once per size and colour; a name's strip is drawn once when it
// is set, and each frame only copies the part in view.
#include "LedLook.h"

#include <QImage>
#include <QPainter>
#include <map>

class LedMatrix {
  public:
    static constexpr int kRows = 18;
    static constexpr int kColumns = 144; // the 432-pixel line, 3 pixels a dot

    // Reads the lit dots from `strip` (the dot raster: 2 x 2 dots on a 3-pixel pitch on
    // `back`) and draws them at `zoom` in `look`; the unlit LEDs are a faint `tint`.
    void setStrip(const QImage& strip, QRgb back, QRgb tint, int zoom, const LedLook& look);
    // The line with the strip's left edge at `stripLeft` (1x pixels), into a rectangle of
    // the element's size at the origin.
    void paint(QPainter& p, int stripLeft) const;

    int zoom() const { return zoom_; }
    // Centre of LED (column, row) on the element, in pixels at `zoom`.
    static QPoint centre(int column, int row, int zoom);
    // The face the LEDs sit on, from the line's background colour.
    static QRgb faceColor(QRgb back);
    // The unlit LEDs' colour: a faint share of the lit colour over the face.
    static QRgb unlitColor(QRgb face, QRgb lit);

  private:
    int pitch() const { return 3 * zoom_; }
    void paintUnlit(QImage& img);
    void drawStrip(const std::map<std::pair<int, int>, QRgb>& lit, int columns);
    const QImage& sprite(QRgb color);
    const QImage& glowSprite(QRgb color);

    int zoom_ = 1;
    LedLook look_;
    QRgb face_ = 0;
    QRgb unlit_ = 0;
    std::map<QRgb, QImage> sprites_; // of the current zoom
    std::map<QRgb, QImage> glows_;
    QImage blank_;     // the whole line unlit
    QImage stripLeds_; // the strip's LEDs with padding either side for the glow
};
