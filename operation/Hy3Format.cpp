#include "Hy3Format.h"

#include "LittleEndian.h"

namespace hy3 {

std::optional<int16_t> readRowCount(std::string_view bytes) {
    le::Reader r(bytes);
    return r.i16();
}

ParseResult parse(std::string_view bytes) {
    ParseResult res;
    le::Reader r(bytes);
    File f;
    const auto declared = r.i16();
    if (!declared) {
        res.problem = Problem::TooShortForCount;
        return res;
    }
    f.declaredRows = *declared;
    if (f.declaredRows > kMaxRows) {
        res.problem = Problem::TooManyRows;
        return res;
    }
    const int n = f.declaredRows > 0 ? f.declaredRows : 0;
    f.rows.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) {
        Row row;
        bool ok = false;
        if (const auto len = r.u16())
            if (const auto name = r.bytes(*len)) {
                row.name.assign(*name);
                if (const auto ticket = r.i16()) {
                    row.ticketNo = *ticket;
                    ok = true;
                    for (auto& c : row.columns) {
                        const auto v = r.i16();
                        if (!v) {
                            ok = false;
                            break;
                        }
                        c = *v;
                    }
                }
            }
        if (!ok) {
            res.problem = Problem::Truncated;
            res.failedRow = i;
            return res;
        }
        f.rows.push_back(std::move(row));
    }
    f.trailingBytes = r.remaining();
    res.file = std::move(f);
    return res;
}

std::string write(const File& f) {
    le::Writer w;
    w.i16(f.declaredRows);
    for (const Row& row : f.rows) {
        w.u16(static_cast<uint16_t>(row.name.size()));
        w.bytes(row.name);
        w.i16(row.ticketNo);
        for (int16_t c : row.columns)
            w.i16(c);
    }
    return w.take();
}

} // namespace hy3
