#include "Hy3Format.h"

namespace hy3 {
namespace {

// Reads little-endian fields from a byte range, checking the length before each.
class LeReader {
  public:
    explicit LeReader(std::string_view b) : b_(b) {}
    size_t left() const { return b_.size() - pos_; }
    size_t pos() const { return pos_; }
    bool u16(uint16_t& v) {
        if (left() < 2)
            return false;
        v = static_cast<uint16_t>(static_cast<unsigned char>(b_[pos_]) |
                                  (static_cast<unsigned char>(b_[pos_ + 1]) << 8));
        pos_ += 2;
        return true;
    }
    bool i16(int16_t& v) {
        uint16_t u;
        if (!u16(u))
            return false;
        v = static_cast<int16_t>(u);
        return true;
    }
    bool bytes(size_t n, std::string& out) {
        if (left() < n)
            return false;
        out.assign(b_.substr(pos_, n));
        pos_ += n;
        return true;
    }

  private:
    std::string_view b_;
    size_t pos_ = 0;
};

void putU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

} // namespace

std::optional<int16_t> readRowCount(std::string_view bytes) {
    LeReader r(bytes);
    int16_t n;
    if (!r.i16(n))
        return std::nullopt;
    return n;
}

ParseResult parse(std::string_view bytes) {
    ParseResult res;
    LeReader r(bytes);
    File f;
    if (!r.i16(f.declaredRows)) {
        res.problem = Problem::TooShortForCount;
        return res;
    }
    if (f.declaredRows > kMaxRows) {
        res.problem = Problem::TooManyRows;
        return res;
    }
    const int n = f.declaredRows > 0 ? f.declaredRows : 0;
    f.rows.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) {
        Row row;
        uint16_t len;
        bool ok = r.u16(len) && r.bytes(len, row.name) && r.i16(row.ticketNo);
        for (auto& c : row.columns)
            ok = ok && r.i16(c);
        if (!ok) {
            res.problem = Problem::Truncated;
            res.failedRow = i;
            return res;
        }
        f.rows.push_back(std::move(row));
    }
    f.trailingBytes = r.left();
    res.file = std::move(f);
    return res;
}

std::string write(const File& f) {
    std::string out;
    putU16(out, static_cast<uint16_t>(f.declaredRows));
    for (const Row& row : f.rows) {
        putU16(out, static_cast<uint16_t>(row.name.size()));
        out += row.name;
        putU16(out, static_cast<uint16_t>(row.ticketNo));
        for (int16_t c : row.columns)
            putU16(out, static_cast<uint16_t>(c));
    }
    return out;
}

} // namespace hy3
