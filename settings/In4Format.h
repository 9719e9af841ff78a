#pragma once
// The settings file (<program>.in4): the settings record's eleven blocks back to back,
// little-endian, no header. Layout, with byte offsets for a file whose strings are all
// empty (each string is a u16 byte count and that many CP932 bytes, so a longer string
// moves everything after it):
//
//   block  offset  bytes  content
//   1      0       4      FareDataFolder, BroadcastDataFolder                    str str
//   2      4       40     AutoTicketNumbers i16, TicketColorOff/On1/On2 i32,
//                         NumberingMode, LeadingZero, PanelAuto, PanelIndividual,
//                         Off/On1/On2 BuiltIn+User flags i16; Off/On1/On2ImageFile str
//   3      44      32     DigitBack/Unlit/LitColor i32, ShowStopOrder .. DataColumnCell i16
//   4      76      22     ChimeiBack/ForeColor i32, ChimeiFont, ChimeiBold,
//                         TsugiwaDisplay i16, TsugiwaColorValue i32, TsugiwaFont,
//                         TsugiwaBoldFlag i16
//   5      98      38     RouteSetSound, ResetSound str, StepSound* flags i16,
//                         StepSoundFile str, StepSoundColumn i16, StepSound1-3 str,
//                         PreSound* flags i16, PreSoundFile, PreSound1-3 str
//   6      136     12     UseTicketPreview i16, PluginPath str, DatePer*/DateFixed i16,
//                         FixedDateText str
//   7      148     22     PanelPage i16, ScrollSpeed/IntervalValue i32, LateNightFare,
//                         PanelExpand i16, PanelLeft, PanelTop i32
//   8      170     8      BoardLeft, BoardTop i32
//   9      178     68     17 custom colours i32
//   10     246     2      DigitCount i16 (always 32)
//   11     248     192    32 x (Shift, ZeroMode, FillZero) i16
//   total          440
#include "Outcome.h"
#include "SettingsRecord.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace in4 {

inline constexpr size_t kEmptyFileSize = 440;

// One field of the file, in file order, reachable by name (the settings tool, tests).
struct Field {
    enum class Kind { I16, I32, Str };
    QString name;
    Kind kind = Kind::I16;
    std::function<int64_t(const SettingsRecord&)> getInt;
    std::function<void(SettingsRecord&, int64_t)> setInt;
    std::function<QString(const SettingsRecord&)> getStr;
    std::function<void(SettingsRecord&, const QString&)> setStr;
};
const std::vector<Field>& fields();
const Field* findField(const QString& name);

struct ReadResult {
    SettingsRecord record;
    bool complete = true;     // false: the file ended early; the rest reads as 0 / ""
    int16_t digitCount = 0;   // block 10 as stored (read back only by the dump)
    size_t trailingBytes = 0; // after block 11
};
// Reads any bytes: what is missing reads as zero or empty, a string whose count runs past
// the end is empty.
ReadResult read(std::string_view bytes);

// The file's bytes, or a failure when a string is too long for its 16-bit count.
struct WriteResult {
    std::optional<std::string> bytes;
    QString error;
};
WriteResult write(const SettingsRecord& record);

// "Field = value" lines, one per field in file order (text shown decoded).
// `storedDigitCount` is block 10 as a file holds it; without one, the count a write stores.
QString dump(const SettingsRecord& record, std::optional<int16_t> storedDigitCount = std::nullopt);
// Sets a field from text; an error message for an unknown field or a bad value.
std::optional<QString> setField(SettingsRecord& record, const QString& name, const QString& value);

} // namespace in4
