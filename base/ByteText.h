#pragma once
// Byte-string helpers over CP932 text: lengths and slices count a double-byte character
// as two, as the fare files and the stop-name layout do.
#include <QString>
#include <string>
#include <string_view>

namespace ApiLib {

// Byte length of the text in CP932.
int LenB_ASCII(const QString& text);
// The CP932 bytes of the text from the 1-based byte position `start`, at most `count`
// of them; fewer or none at the end of the text.
std::string MidB_ASCII(const QString& text, int start, int count);
// The same slice taken from bytes already encoded, so a caller that walks a name unit by
// unit encodes it once.
std::string_view MidB(std::string_view bytes, int start, int count);

} // namespace ApiLib
