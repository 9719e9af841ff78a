#include "Cp932.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// RAII holder of one iconv conversion descriptor.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between CP932 and UTF-16LE");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

const Converter& toSjis() {
    static const Converter c("CP932", "UTF-16LE");
    return c;
}
const Converter& fromSjis() {
    static const Converter c("UTF-16LE", "CP932");
    return c;
}

} // namespace

namespace cp932 {

std::string encode(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()) * 2);
    const Converter& conv = toSjis();
    // Convert one UTF-16 code point at a time so an unmappable one can be replaced alone.
    for (qsizetype i = 0; i < text.size();) {
        qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        char16_t units[2] = {text.at(i).unicode(), n == 2 ? text.at(i + 1).unicode() : u'\0'};
        char buf[8];
        char* in = reinterpret_cast<char*>(units);
        size_t inLeft = static_cast<size_t>(n) * 2;
        char* o = buf;
        size_t outLeft = sizeof buf;
        conv.reset();
        if (iconv(conv.get(), &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1))
            out.push_back('?');
        else
            out.append(buf, static_cast<size_t>(o - buf));
        i += n;
    }
    return out;
}

QString decode(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    const Converter& conv = fromSjis();
    conv.reset();
    size_t pos = 0;
    while (pos < bytes.size()) {
        char16_t buf[256];
        char* in = const_cast<char*>(bytes.data() + pos);
        size_t inLeft = bytes.size() - pos;
        char* o = reinterpret_cast<char*>(buf);
        size_t outLeft = sizeof buf;
        size_t r = iconv(conv.get(), &in, &inLeft, &o, &outLeft);
        const size_t produced = static_cast<size_t>(o - reinterpret_cast<char*>(buf)) / 2;
        out.append(QStringView(buf, static_cast<qsizetype>(produced)));
        pos = bytes.size() - inLeft;
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: replace one bad byte and go on after it.
            out.append(QChar(0xFFFD));
            ++pos;
            conv.reset();
        }
    }
    return out;
}

bool isValid(std::string_view bytes) {
    return !decode(bytes).contains(QChar(0xFFFD));
}

unsigned firstCode(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const bool lead = (b0 >= 0x81 && b0 <= 0x9F) || (b0 >= 0xE0 && b0 <= 0xFC);
    if (lead && bytes.size() >= 2)
        return (b0 << 8) | static_cast<unsigned char>(bytes[1]);
    return b0;
}

} // namespace cp932
