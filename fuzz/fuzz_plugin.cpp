// Ticket plug-in files: any bytes are parsed; a file that parses has its templates filled
// and its barcodes encoded, as drawing a ticket would.
#include "Barcode.h"
#include "TicketPlugin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ticket::ParseResult r = ticket::parsePlugin(bytes);
    if (!r.plugin)
        return 0;
    const ticket::TicketData d{QStringLiteral("会社"),
                               QStringLiteral("停留所"),
                               QStringLiteral("12-07-2026"),
                               QStringLiteral("08:15:30"),
                               105,
                               12,
                               7};
    for (const ticket::LayoutItem& item : r.plugin->layout) {
        if (const auto* t = std::get_if<ticket::TextItem>(&item))
            (void)ticket::expand(t->value, d);
        else if (const auto* b = std::get_if<ticket::BarcodeItem>(&item))
            (void)ticket::encodeBarcode(b->symbology, ticket::expand(b->data, d));
    }
    return 0;
}
