#include "PcfFont.h"

#include <QFile>
#include <algorithm>
#include <map>
#include <zlib.h>

std::optional<QByteArray> gunzip(const QByteArray& gz, qsizetype limit) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.constData()));
    z.avail_in = static_cast<uInt>(gz.size());
    QByteArray out;
    char buf[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buf);
        z.avail_out = sizeof buf;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.append(buf, static_cast<qsizetype>(sizeof buf - z.avail_out));
        if (out.size() > limit)
            rc = Z_MEM_ERROR;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

namespace {

enum Table : uint32_t {
    kProperties = 1,
    kAccelerators = 2,
    kMetrics = 4,
    kBitmaps = 8,
    kEncodings = 32,
    kBdfAccelerators = 256,
};
constexpr uint32_t kByteMsb = 1u << 2;
constexpr uint32_t kBitMsb = 1u << 3;
constexpr uint32_t kCompressedMetrics = 0x100;

// Reads one table: its own format word (little-endian) says the byte order of the rest.
class TableReader {
  public:
    TableReader(const QByteArray& data, uint32_t offset, uint32_t size)
        : d_(data), pos_(offset), end_(static_cast<uint64_t>(offset) + size) {
        // Some writers round a table's size up past the end of the file: read what is there.
        end_ = std::min<uint64_t>(end_, static_cast<uint64_t>(data.size()));
        if (pos_ > end_)
            ok_ = false;
        format_ = u32le();
    }
    bool ok() const { return ok_; }
    uint32_t format() const { return format_; }
    bool msb() const { return (format_ & kByteMsb) != 0; }
    uint64_t pos() const { return pos_; }
    bool has(uint64_t n) const { return ok_ && pos_ + n <= end_; }

    uint8_t u8() {
        if (!has(1))
            return ok_ = false, 0;
        return static_cast<uint8_t>(d_[static_cast<qsizetype>(pos_++)]);
    }
    uint32_t u32() { return read(4, msb()); }
    uint16_t u16() { return static_cast<uint16_t>(read(2, msb())); }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    const char* at(uint64_t offset, uint64_t n) {
        if (!ok_ || offset + n > end_)
            return ok_ = false, nullptr;
        return d_.constData() + offset;
    }

  private:
    uint32_t u32le() { return read(4, false); }
    uint32_t read(int n, bool bigEndian) {
        if (!has(static_cast<uint64_t>(n)))
            return ok_ = false, 0;
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const auto b =
                static_cast<uint8_t>(d_[static_cast<qsizetype>(pos_ + static_cast<uint64_t>(i))]);
            v = bigEndian ? (v << 8) | b : v | (static_cast<uint32_t>(b) << (8 * i));
        }
        pos_ += static_cast<uint64_t>(n);
        return v;
    }

    const QByteArray& d_;
    uint64_t pos_;
    uint64_t end_;
    uint32_t format_ = 0;
    bool ok_ = true;
};

struct Metric {
    int lsb, rsb, width, ascent, descent;
};

uint8_t reverseBits(uint8_t b) {
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

} // namespace

std::optional<PcfFont> PcfFont::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 32 * 1024 * 1024)
        return std::nullopt;
    return parse(f.readAll());
}

std::optional<PcfFont> PcfFont::parse(const QByteArray& input) {
    QByteArray data = input;
    if (data.startsWith("\x1f\x8b")) {
        auto raw = gunzip(data);
        if (!raw)
            return std::nullopt;
        data = *raw;
    }
    if (data.size() < 8 || !data.startsWith("\x01"
                                            "fcp"))
        return std::nullopt;
    auto le32 = [&](qsizetype at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<uint8_t>(data[at + i])) << (8 * i);
        return v;
    };
    const uint32_t count = le32(4);
    if (count > 64 || 8 + static_cast<qsizetype>(count) * 16 > data.size())
        return std::nullopt;
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> toc; // type -> offset, size
    for (uint32_t i = 0; i < count; ++i) {
        const qsizetype e = 8 + static_cast<qsizetype>(i) * 16;
        toc[le32(e)] = {le32(e + 12), le32(e + 8)};
    }
    auto table = [&](uint32_t type) -> std::optional<TableReader> {
        auto it = toc.find(type);
        if (it == toc.end())
            return std::nullopt;
        TableReader r(data, it->second.first, it->second.second);
        if (!r.ok())
            return std::nullopt;
        return r;
    };

    PcfFont font;
    // Properties: name and string values live in a string pool after the table.
    if (auto r = table(kProperties)) {
        const uint32_t n = r->u32();
        if (n < 100000) {
            struct Prop {
                uint32_t name;
                bool isString;
                uint32_t value;
            };
            std::vector<Prop> props;
            for (uint32_t i = 0; i < n && r->ok(); ++i) {
                Prop p{r->u32(), r->u8() != 0, 0};
                p.value = r->u32();
                props.push_back(p);
            }
            const uint64_t pad = (n & 3) == 0 ? 0 : 4 - (n & 3);
            for (uint64_t i = 0; i < pad; ++i)
                r->u8();
            const uint32_t poolSize = r->u32();
            const uint64_t pool = r->pos();
            auto str = [&](uint32_t off) -> QString {
                const char* p = r->at(pool + off, 1);
                if (!p || off >= poolSize)
                    return {};
                const char* s = p;
                const uint64_t max = poolSize - off;
                uint64_t len = 0;
                while (len < max && s[len] != '\0')
                    ++len;
                return QString::fromLatin1(s, static_cast<qsizetype>(len));
            };
            for (const Prop& p : props)
                if (p.isString)
                    font.properties_.emplace_back(str(p.name), str(p.value));
        }
    }

    // Font ascent and descent.
    auto acc = table(toc.count(kBdfAccelerators) ? kBdfAccelerators : kAccelerators);
    if (!acc)
        return std::nullopt;
    for (int i = 0; i < 8; ++i)
        acc->u8();
    font.ascent_ = acc->i32();
    font.descent_ = acc->i32();
    if (!acc->ok() || font.ascent_ < 0 || font.ascent_ > 256 || font.descent_ < 0 ||
        font.descent_ > 256)
        return std::nullopt;

    // Metrics.
    auto m = table(kMetrics);
    if (!m)
        return std::nullopt;
    std::vector<Metric> metrics;
    if (m->format() & kCompressedMetrics) {
        const uint16_t n = m->u16();
        for (uint16_t i = 0; i < n && m->ok(); ++i) {
            Metric x{};
            x.lsb = m->u8() - 0x80;
            x.rsb = m->u8() - 0x80;
            x.width = m->u8() - 0x80;
            x.ascent = m->u8() - 0x80;
            x.descent = m->u8() - 0x80;
            metrics.push_back(x);
        }
    } else {
        const uint32_t n = m->u32();
        if (n > 200000)
            return std::nullopt;
        for (uint32_t i = 0; i < n && m->ok(); ++i) {
            Metric x{};
            x.lsb = m->i16();
            x.rsb = m->i16();
            x.width = m->i16();
            x.ascent = m->i16();
            x.descent = m->i16();
            m->u16();
            metrics.push_back(x);
        }
    }
    if (!m->ok())
        return std::nullopt;

    // Bitmaps.
    auto b = table(kBitmaps);
    if (!b)
        return std::nullopt;
    const uint32_t glyphCount = b->u32();
    if (glyphCount != metrics.size())
        return std::nullopt;
    std::vector<uint32_t> offsets(glyphCount);
    for (auto& o : offsets)
        o = b->u32();
    uint32_t sizes[4];
    for (auto& s : sizes)
        s = b->u32();
    const uint32_t fmt = b->format();
    const int padBytes = 1 << (fmt & 3);
    const int scanUnit = 1 << ((fmt >> 4) & 3);
    const bool bitMsb = (fmt & kBitMsb) != 0;
    const bool byteMsb = (fmt & kByteMsb) != 0;
    const uint64_t bitmapBase = b->pos();
    const char* bitmapData = b->at(bitmapBase, sizes[fmt & 3]);
    if (!b->ok() || !bitmapData)
        return std::nullopt;
    font.glyphs_.reserve(glyphCount);
    for (uint32_t g = 0; g < glyphCount; ++g) {
        const Metric& x = metrics[g];
        Glyph gl;
        gl.width = x.rsb - x.lsb;
        gl.height = x.ascent + x.descent;
        gl.left = x.lsb;
        gl.top = font.ascent_ - x.ascent;
        gl.advance = x.width;
        if (gl.width < 0 || gl.height < 0 || gl.width > 256 || gl.height > 256)
            return std::nullopt;
        const int stride = ((gl.width + 7) / 8 + padBytes - 1) / padBytes * padBytes;
        const uint64_t need = static_cast<uint64_t>(stride) * static_cast<uint64_t>(gl.height);
        if (static_cast<uint64_t>(offsets[g]) + need > sizes[fmt & 3])
            return std::nullopt;
        gl.bits.assign(static_cast<size_t>(gl.width * gl.height), 0);
        std::vector<uint8_t> row(static_cast<size_t>(stride));
        for (int y = 0; y < gl.height; ++y) {
            const char* src = bitmapData + offsets[g] + static_cast<uint64_t>(y * stride);
            for (int i = 0; i < stride; ++i)
                row[static_cast<size_t>(i)] = static_cast<uint8_t>(src[i]);
            // Into MSB-first bits and bytes, as X itself converts them.
            if (!bitMsb)
                for (auto& v : row)
                    v = reverseBits(v);
            if (bitMsb != byteMsb && scanUnit > 1)
                for (int i = 0; i + scanUnit <= stride; i += scanUnit)
                    std::reverse(row.begin() + i, row.begin() + i + scanUnit);
            for (int xx = 0; xx < gl.width; ++xx)
                gl.bits[static_cast<size_t>(y * gl.width + xx)] =
                    (row[static_cast<size_t>(xx / 8)] >> (7 - xx % 8)) & 1;
        }
        font.glyphs_.push_back(std::move(gl));
    }

    // Encodings.
    auto e = table(kEncodings);
    if (!e)
        return std::nullopt;
    font.minByte2_ = e->i16();
    font.maxByte2_ = e->i16();
    font.minByte1_ = e->i16();
    font.maxByte1_ = e->i16();
    e->i16(); // default character
    if (!e->ok() || font.minByte2_ < 0 || font.maxByte2_ > 255 || font.minByte1_ < 0 ||
        font.maxByte1_ > 255 || font.maxByte2_ < font.minByte2_ || font.maxByte1_ < font.minByte1_)
        return std::nullopt;
    const size_t n = static_cast<size_t>(font.maxByte2_ - font.minByte2_ + 1) *
                     static_cast<size_t>(font.maxByte1_ - font.minByte1_ + 1);
    font.index_.resize(n);
    for (auto& i : font.index_)
        i = e->u16();
    if (!e->ok())
        return std::nullopt;
    return font;
}

QString PcfFont::property(const QString& name) const {
    for (const auto& [k, v] : properties_)
        if (k == name)
            return v;
    return {};
}

const PcfFont::Glyph* PcfFont::glyph(unsigned code) const {
    const int b1 = static_cast<int>(code >> 8), b2 = static_cast<int>(code & 0xFF);
    if (b1 < minByte1_ || b1 > maxByte1_ || b2 < minByte2_ || b2 > maxByte2_)
        return nullptr;
    const size_t i =
        static_cast<size_t>(b1 - minByte1_) * static_cast<size_t>(maxByte2_ - minByte2_ + 1) +
        static_cast<size_t>(b2 - minByte2_);
    const uint16_t g = index_[i];
    if (g == 0xFFFF || g >= glyphs_.size())
        return nullptr;
    return &glyphs_[g];
}
