#pragma once
// The one place where text crosses between Qt strings and the CP932 (Shift-JIS) bytes
// that every file and the byte-string helpers use.
#include <QString>
#include <string>
#include <string_view>

namespace cp932 {

// Encodes to CP932. A character the code page lacks becomes "?", as the Windows
// converter does by default, so a file can always be written.
std::string encode(const QString& text);

// Decodes CP932 bytes. An invalid or cut-off sequence becomes U+FFFD per bad byte and
// decoding goes on, so damaged files show what they hold without failing.
QString decode(std::string_view bytes);

// True when every byte sequence is valid CP932.
bool isValid(std::string_view bytes);

// The 2-byte code of the first character of CP932 text (lead byte high), or the
// single byte for a one-byte character; 0 for empty text.
unsigned firstCode(std::string_view bytes);

} // namespace cp932
