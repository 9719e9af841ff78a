#include "TicketPainter.h"

#include "Barcode.h"
#include "ColorCodes.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace ticket {

namespace {

QColor qcolour(uint32_t bgr) {
    return QColor::fromRgba(argbFromBgr(bgr));
}

struct Scale {
    double sx, sy;
    QRectF rect(int x, int y, int w, int h) const { return {x * sx, y * sy, w * sx, h * sy}; }
    QPointF point(int x, int y) const { return {x * sx, y * sy}; }
    double pen(int twips) const { return std::max(1.0, std::round(twips * (sx + sy) / 2)); }
};

void drawText(QPainter& p, const Scale& s, const TextItem& t, const TicketData& d) {
    const QString text = expand(t.value, d);
    if (text.isEmpty())
        return;
    const QRectF box = s.rect(t.x, t.y, t.w, t.h);
    QFont font(t.font); // a family that is not installed falls back to a Japanese-capable one
    font.setBold(t.bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    double px = std::max(1.0, t.sizeTwips * s.sy);
    font.setPixelSize(static_cast<int>(std::lround(px)));
    // Long stop names shrink to their box rather than being cut off.
    for (int i = 0; i < 40; ++i) {
        const QFontMetricsF m(font);
        if (m.horizontalAdvance(text) <= box.width() || font.pixelSize() <= 4)
            break;
        font.setPixelSize(std::max(4, static_cast<int>(font.pixelSize() * 0.92)));
    }
    p.setFont(font);
    p.setPen(qcolour(t.color));
    Qt::Alignment a = t.align == Align::Left    ? Qt::AlignLeft
                      : t.align == Align::Right ? Qt::AlignRight
                                                : Qt::AlignHCenter;
    a |= t.vertical ? Qt::AlignVCenter : Qt::AlignTop;
    p.drawText(box, static_cast<int>(a) | Qt::TextSingleLine, text);
}

// A box crossed out where the data does not fit the symbology: visible, never fatal.
void drawErrorMark(QPainter& p, const QRectF& box) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(200, 0, 0), 1));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.drawLine(box.topLeft(), box.bottomRight() - QPointF(1, 1));
    p.drawLine(box.topRight() - QPointF(1, 0), box.bottomLeft() - QPointF(0, 1));
    p.restore();
}

void drawBarcode(QPainter& p, const Scale& s, const BarcodeItem& b, const TicketData& d) {
    const QRect box = s.rect(b.x, b.y, b.w, b.h).toAlignedRect();
    const BarcodeSymbol sym = encodeBarcode(b.symbology, expand(b.data, d));
    if (sym.modules.isNull() || box.width() < 1 || box.height() < 1) {
        drawErrorMark(p, box);
        return;
    }
    QRect bars = box;
    if (b.humanReadable && !sym.stacked) {
        QFont f(QStringLiteral("IPAGothic"));
        // Readable on the 1x preview (9 px is the smallest size the Gothic face keeps
        // clear), never more than half of the box: the bars keep the rest.
        f.setPixelSize(std::clamp(box.height() / 4, std::min(9, box.height() / 2),
                                  std::max(1, box.height() / 2)));
        const int textH = QFontMetrics(f).height();
        bars.setHeight(std::max(1, box.height() - textH));
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRect(box.left(), bars.bottom() + 1, box.width(), textH),
                   Qt::AlignHCenter | Qt::AlignTop, sym.text);
    }
    // Whole pixels a module, leaving the quiet zone a reader needs on each side (ten
    // modules for bars, four for matrix codes): the bars never blur and still scan.
    const int quiet = sym.stacked ? 8 : 20;
    const int kx = std::max(1, bars.width() / (sym.modules.width() + quiet));
    const int k2D = std::max(1, std::min(kx, bars.height() / (sym.modules.height() + quiet)));
    const int fx = sym.stacked ? k2D : kx;
    const int fy = sym.stacked ? k2D : std::max(1, bars.height());
    const QSize size(sym.modules.width() * fx, sym.modules.height() * fy);
    const QImage big = sym.modules.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QPoint at(bars.left() + (bars.width() - size.width()) / 2,
                    bars.top() + (bars.height() - size.height()) / 2);
    p.save();
    p.setClipRect(box);
    p.drawImage(at, big);
    p.restore();
}

} // namespace

void drawTicket(const Plugin& plugin, QImage& target, const TicketData& data) {
    if (target.isNull() || plugin.info.previewWidth <= 0 || plugin.info.previewHeight <= 0)
        return;
    const Scale s{static_cast<double>(target.width()) / plugin.info.previewWidth,
                  static_cast<double>(target.height()) / plugin.info.previewHeight};
    QPainter p(&target);
    p.fillRect(target.rect(), qcolour(plugin.paper));
    for (const LayoutItem& item : plugin.layout) {
        if (const auto* t = std::get_if<TextItem>(&item)) {
            p.setRenderHint(QPainter::TextAntialiasing, true);
            drawText(p, s, *t, data);
        } else if (const auto* l = std::get_if<LineItem>(&item)) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(qcolour(l->color), s.pen(l->pen), Qt::SolidLine, Qt::FlatCap));
            p.drawLine(s.point(l->x1, l->y1), s.point(l->x2, l->y2));
        } else if (const auto* f = std::get_if<FrameItem>(&item)) {
            const double w = s.pen(f->pen);
            const QRectF r = s.rect(f->x, f->y, f->w, f->h).adjusted(w / 2, w / 2, -w / 2, -w / 2);
            p.setRenderHint(QPainter::Antialiasing, f->radius > 0);
            p.setPen(QPen(qcolour(f->color), w));
            p.setBrush(f->fill ? QBrush(qcolour(*f->fill)) : QBrush(Qt::NoBrush));
            if (f->radius > 0)
                p.drawRoundedRect(r, f->radius * s.sx, f->radius * s.sy);
            else
                p.drawRect(r);
            p.setBrush(Qt::NoBrush);
        } else if (const auto* b = std::get_if<BarcodeItem>(&item)) {
            drawBarcode(p, s, *b, data);
        }
    }
}

} // namespace ticket
