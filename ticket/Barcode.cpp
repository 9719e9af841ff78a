#include "Barcode.h"

#include <map>
#include <memory>
#include <zint.h>

namespace ticket {

namespace {

int zintSymbology(const QString& name) {
    static const std::map<QString, int> ids = {{QStringLiteral("code128"), BARCODE_CODE128},
                                               {QStringLiteral("nw7"), BARCODE_CODABAR},
                                               {QStringLiteral("itf"), BARCODE_C25INTER},
                                               {QStringLiteral("code39"), BARCODE_CODE39},
                                               {QStringLiteral("ean13"), BARCODE_EANX},
                                               {QStringLiteral("qr"), BARCODE_QRCODE},
                                               {QStringLiteral("datamatrix"), BARCODE_DATAMATRIX}};
    const auto it = ids.find(name);
    return it == ids.end() ? 0 : it->second;
}

struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

} // namespace

BarcodeSymbol encodeBarcode(const QString& symbology, const QString& data) {
    BarcodeSymbol out;
    const int id = zintSymbology(symbology);
    if (id == 0) {
        out.error = QStringLiteral("unknown symbology %1").arg(symbology);
        return out;
    }
    if (data.isEmpty()) {
        out.error = QStringLiteral("no data");
        return out;
    }
    std::unique_ptr<zint_symbol, SymbolDeleter> sym(ZBarcode_Create());
    if (!sym) {
        out.error = QStringLiteral("out of memory");
        return out;
    }
    sym->symbology = id;
    sym->show_hrt = 0;
    sym->input_mode = UNICODE_MODE;
    const QByteArray utf8 = data.toUtf8();
    const int rc =
        ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(utf8.constData()),
                        static_cast<int>(utf8.size()));
    if (rc >= ZINT_ERROR) {
        out.error = QString::fromUtf8(sym->errtxt);
        return out;
    }
    out.text = QString::fromUtf8(reinterpret_cast<const char*>(sym->text));
    out.stacked = sym->rows > 1;
    // The module matrix itself: one pixel a module, one row a symbol row.
    const int w = sym->width, h = std::max(sym->rows, 1);
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int r = 0; r < h && r < 200; ++r)
        for (int c = 0; c < w && c < 144 * 8; ++c)
            if ((sym->encoded_data[r][c >> 3] >> (c & 7)) & 1)
                img.setPixel(c, r, qRgb(0, 0, 0));
    out.modules = img;
    return out;
}

} // namespace ticket
