#include "StopLineView.h"

#include "ColorCodes.h"
#include "Limits.h"
#include "PixelScale.h"

void StopLineView::prepare(const StopLine& line, int zoom, const LedLook& look) {
    const Key key{line.stripVersion(), zoom, look, line.settings.backColor,
                  line.settings.foreColor};
    if (key == key_)
        return;
    key_ = key;
    if (look.on)
        leds_.setStrip(line.strip(), argbFromBgr(key.back), argbFromBgr(key.fore), zoom, look);
    zoomedStrip_ = !look.on && zoom > 1 ? pixelScale(line.strip(), zoom) : QImage();
}

void StopLineView::paint(QPainter& p, const StopLine& line, int left, int zoom, const LedLook& look,
                         Layer layer) {
    const QRgb back = argbFromBgr(line.settings.backColor);
    if (layer == Layer::LitOnly) {
        // The dots that shine, on transparency: the strip without its background.
        QImage lit = line.strip().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < lit.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(lit.scanLine(y));
            for (int x = 0; x < lit.width(); ++x)
                if (row[x] == back)
                    row[x] = 0;
        }
        p.drawImage(left * zoom, -zoom, zoom == 1 ? lit : pixelScale(lit, zoom));
        return;
    }
    if (look.on) {
        prepare(line, zoom, look);
        leds_.paint(p, left);
        return;
    }
    p.fillRect(QRect(0, 0, limits::kChimeiViewport * zoom, StopLine::kHeight * zoom), QColor(back));
    if (zoom == 1) {
        p.drawImage(left, -1, line.strip());
        return;
    }
    prepare(line, zoom, look);
    p.drawImage(left * zoom, -zoom, zoomedStrip_);
}
