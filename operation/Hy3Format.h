#pragma once
// The binary fare data file (*.hy3), little-endian, no header besides the row count:
//
//   offset 0   i16  row count N
//   offset 2   N rows back to back, each 304 + L bytes:
//                u16  L, byte length of the stop name
//                L    stop name, Shift-JIS, no terminator
//                i16  ticket number
//                150 x i16  data columns 1..150
#include "Limits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hy3 {

constexpr int kMaxRows = limits::kRouteRows;

struct Row {
    std::string name; // Shift-JIS bytes as stored
    int16_t ticketNo = 0;
    std::array<int16_t, limits::kDataColumns> columns{};
};

struct File {
    int16_t declaredRows = 0;
    std::vector<Row> rows;
    size_t trailingBytes = 0; // bytes after the last row, ignored by the reader
};

enum class Problem { None, TooShortForCount, TooManyRows, Truncated };

struct ParseResult {
    std::optional<File> file;
    Problem problem = Problem::None;
    int failedRow = 0; // 1-based row where a truncated file ends
};

// Reads the row count only.
std::optional<int16_t> readRowCount(std::string_view bytes);
// Reads the whole file. A negative or zero row count gives a file without rows.
ParseResult parse(std::string_view bytes);
std::string write(const File& f);

} // namespace hy3
