#include "ByteText.h"

#include "Cp932.h"

namespace ApiLib {

int LenB_ASCII(const QString& text) {
    return static_cast<int>(cp932::encode(text).size());
}

std::string_view MidB(std::string_view bytes, int start, int count) {
    if (start < 1 || count <= 0 || static_cast<size_t>(start) > bytes.size())
        return {};
    return bytes.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

std::string MidB_ASCII(const QString& text, int start, int count) {
    return std::string(MidB(cp932::encode(text), start, count));
}

} // namespace ApiLib
