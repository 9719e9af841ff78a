#pragma once
// Explicit little-endian reading and writing of the binary files (fare data, settings,
// plug-in records). The reader checks the remaining length before every field and
// reports a short read instead of running past the end.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace le {

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    size_t position() const { return pos_; }
    size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    std::optional<uint16_t> u16() {
        if (remaining() < 2)
            return std::nullopt;
        const auto b0 = static_cast<uint8_t>(bytes_[pos_]);
        const auto b1 = static_cast<uint8_t>(bytes_[pos_ + 1]);
        pos_ += 2;
        return static_cast<uint16_t>(b0 | (b1 << 8));
    }
    std::optional<int16_t> i16() {
        const auto v = u16();
        return v ? std::optional<int16_t>(static_cast<int16_t>(*v)) : std::nullopt;
    }
    std::optional<uint32_t> u32() {
        if (remaining() < 4)
            return std::nullopt;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<uint8_t>(bytes_[pos_ + static_cast<size_t>(i)]);
        pos_ += 4;
        return v;
    }
    std::optional<int32_t> i32() {
        const auto v = u32();
        return v ? std::optional<int32_t>(static_cast<int32_t>(*v)) : std::nullopt;
    }
    // `n` raw bytes, or nothing (and the position unchanged) when fewer remain.
    std::optional<std::string_view> bytes(size_t n) {
        if (remaining() < n)
            return std::nullopt;
        const std::string_view v = bytes_.substr(pos_, n);
        pos_ += n;
        return v;
    }

  private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

class Writer {
  public:
    void u16(uint16_t v) {
        out_.push_back(static_cast<char>(v & 0xFF));
        out_.push_back(static_cast<char>(v >> 8));
    }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void bytes(std::string_view b) { out_.append(b); }

    const std::string& data() const { return out_; }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

} // namespace le
