#pragma once
// Barcode symbols for tickets, encoded by libzint into a one-pixel-per-module image that
// the ticket painter enlarges by whole multiples, so bars stay sharp at any preview size.
#include <QImage>
#include <QString>

namespace ticket {

struct BarcodeSymbol {
    QImage modules;       // black on white, one pixel per module; null when encoding failed
    bool stacked = false; // more than one row (QR, Data Matrix): square modules
    QString text;         // the human-readable line libzint gives
    QString error;        // why the data does not fit the symbology
};

// `symbology` is one of the names plug-ins use (code128, nw7, itf, code39, ean13, qr,
// datamatrix); `data` is encoded as UTF-8.
BarcodeSymbol encodeBarcode(const QString& symbology, const QString& data);

} // namespace ticket
