#pragma once
// The route's broadcast data file (<folder>/<route>tp.csv, name matched without regard to
// case): Shift-JIS lines of three fields, the words to speak, the advance flag and the
// chime flag.
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct TapeEntry {
    QString Text;
    int16_t AdvanceFlag = 0;
    int16_t SoundFlag = 0;
};

namespace broadcast {

// The file for a route file number in a folder, matched without regard to case; empty
// when there is none.
QString findFile(const QString& folder, const QString& routeNumber);

// The lines of the file's bytes (CR LF or LF), decoded from CP932.
std::vector<QString> lines(std::string_view bytes);

// One line's three fields; nothing when a field is missing or not a 16-bit number.
// The text may be quoted (quotes removed, commas kept); blanks before it are skipped; an
// empty number reads as 0.
std::optional<TapeEntry> parseLine(const QString& line);

// What keeps a broadcast file from loading, a line each ("line 15: empty line"): the
// program then turns the whole announcement group off without a word, so the tools say
// why. Empty when every line reads.
std::vector<QString> problems(std::string_view bytes);

// Where the list stands for a trip that starts at row `startRow`: after the line that
// brought the board to that row, so the next 送り announces the stop after it. Each line
// whose advance flag is 1 steps the board one row; `flags` are the lines' flags in order.
// 0 (before the first line) for row 1, or when the list has too few stepping lines.
int positionForRow(const std::vector<int>& flags, int startRow);

} // namespace broadcast
