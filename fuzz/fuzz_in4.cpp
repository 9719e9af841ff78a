// Feeds arbitrary bytes to the settings file reader: it never reads out of range, and
// whatever it reads writes back and reads again to the same record.
#include "In4Format.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const in4::ReadResult first = in4::read(bytes);
    const in4::WriteResult w = in4::write(first.record);
    if (!w.bytes)
        return 0; // only strings too long to store are refused
    const in4::ReadResult second = in4::read(*w.bytes);
    if (!second.complete || second.trailingBytes != 0)
        std::abort();
    const in4::WriteResult again = in4::write(second.record);
    if (!again.bytes || *again.bytes != *w.bytes)
        std::abort();
    return 0;
}
