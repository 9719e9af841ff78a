// Feeds arbitrary bytes to the fare data reader and checks that whatever it accepts
// survives the trip through CSV with every number intact.
#include "Cp932.h"
#include "FareCsv.h"
#include "Hy3Format.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)cp932::decode(bytes);
    const hy3::ParseResult r = hy3::parse(bytes);
    if (!r.file)
        return 0;
    (void)farecsv::check(*r.file);
    const farecsv::FromCsvResult back = farecsv::fromCsv(farecsv::toCsv(*r.file));
    if (!back.file || back.file->rows.size() != r.file->rows.size())
        std::abort();
    for (size_t i = 0; i < r.file->rows.size(); ++i) {
        const hy3::Row& a = r.file->rows[i];
        const hy3::Row& b = back.file->rows[i];
        if (a.ticketNo != b.ticketNo || a.columns != b.columns)
            std::abort();
        if (cp932::isValid(a.name) && cp932::encode(cp932::decode(a.name)) == a.name &&
            a.name != b.name)
            std::abort();
    }
    return 0;
}
