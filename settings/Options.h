#pragma once
// The options model: every option the options dialog edits, under the field names the
// settings file uses, with the design-time defaults. One instance is the live store
// that the board, the control panel and the dialog all read.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct Options {
    // Folders
    QString FareDataFolder;
    QString BroadcastDataFolder;
    // Panel and ticket numbers
    int16_t AutoTicketNumbers = 1;
    int32_t TicketColorOff = 0xFFFFFF;
    int32_t TicketColorOn1 = 0xC0FFC0;
    int32_t TicketColorOn2 = 0xC0FFC0;
    int16_t NumberingMode = 0;
    int16_t LeadingZero = 0;
    int16_t PanelAuto = -1;
    int16_t PanelIndividual = 0;
    int16_t OffBuiltIn = -1;
    int16_t OffUser = 0;
    int16_t On1BuiltIn = -1;
    int16_t On1User = 0;
    int16_t On2BuiltIn = -1;
    int16_t On2User = 0;
    QString OffImageFile;
    QString On1ImageFile;
    QString On2ImageFile;
    // Digit elements and information digits
    int32_t DigitBackColor = 0x808080;
    int32_t DigitUnlitColor = 0x969696;
    int32_t DigitLitColor = 0x72D2F8;
    int16_t ShowStopOrder = 0;
    int16_t StopOrderCell = 0;
    int16_t StopOrderFromZero = 0;
    int16_t ShowTicketNumber = 0;
    int16_t TicketNumberCell = 0;
    int16_t ShowRouteNumber = 0;
    int16_t RouteNumberCell = 0;
    int16_t ShowDataColumn = 0;
    int16_t DataColumn = 0;
    int16_t DataColumnCell = 0;
    // Stop-name line
    int32_t ChimeiBackColor = 0x808080;
    int32_t ChimeiForeColor = 0x00FFFF;
    int16_t ChimeiFont = 0;
    int16_t ChimeiBold = 0;
    int16_t TsugiwaDisplay = 0;
    int32_t TsugiwaColorValue = 0x00FFFF;
    int16_t TsugiwaFont = 0;
    int16_t TsugiwaBoldFlag = 0;
    // Sounds
    QString RouteSetSound;
    QString ResetSound;
    int16_t StepSoundFixed = -1;
    int16_t StepSoundByColumn = 0;
    int16_t StepSoundSync = 0;
    int16_t StepSoundAsync = -1;
    QString StepSoundFile;
    int16_t StepSoundColumn = 0;
    QString StepSound1;
    QString StepSound2;
    QString StepSound3;
    int16_t PreSoundFixed = -1;
    int16_t PreSoundByFlag = 0;
    int16_t PreSoundSync = -1;
    int16_t PreSoundAsync = 0;
    QString PreSoundFile;
    QString PreSound1;
    QString PreSound2;
    QString PreSound3;
    // Ticket preview
    int16_t UseTicketPreview = 0;
    QString PluginPath;
    int16_t DatePerPrint = -1;
    int16_t DatePerRoute = 0;
    int16_t DateFixed = 0;
    QString FixedDateText;

    // Ours, beyond the settings file: kept beside it (OwnOptions), never in it.
    // 外部制御を有効にする: the control server for other programs.
    int16_t RemoteControl = 0;
    // Open to the network (with a token) instead of this computer only.
    int16_t RemoteLan = 0;
    // リモートからの終了を許可: a client's `quit` closes the program.
    int16_t RemoteQuit = 0;
    // 放送を区間に合わせる: setting a route puts the announcements at its start section.
    int16_t TapeFollowsSection = 0;
    // Following the bus: the next announcement plays this close to the next stop.
    int32_t AnnounceDistanceM = 200;
    // How the board is drawn (OwnOptions as well).
    // 表示倍率: the board at 1-4 times its size.
    int16_t BoardZoom = 1;
    // LED表示: round LEDs on the stop-name line, lit segments glowing.
    int16_t LedDisplay = 0;
    // The LEDs' soft glow (in the LED look).
    int16_t LedGlow = 1;
    // LEDの色: 0 the colours above, 1 amber, 2 orange.
    int16_t LedColor = 0;
};

// One field of the model, reached by its settings-file name.
struct OptionField {
    enum class Kind { I16, I32, Str };
    const char* name = nullptr;
    Kind kind = Kind::I16;
    int16_t Options::*i16 = nullptr;
    int32_t Options::*i32 = nullptr;
    QString Options::*str = nullptr;
};

// Every option in the order the settings file stores it (blocks 1-6).
const std::vector<OptionField>& optionFields();
// Ours, kept beside the settings file; scripts reach them by these names too.
const std::vector<OptionField>& ownOptionFields();
const OptionField* findOptionField(const QString& name);

// Sets a field from its settings-file form (integers in decimal, text as is).
// Returns an error message, or nothing on success.
std::optional<QString> setOption(Options& o, const QString& name, const QString& value);
QString getOption(const Options& o, const QString& name);

// 1-based position chosen by a cell list index (index 0 = cell 1).
inline int cellFromIndex(int16_t index) {
    return index + 1;
}
