#pragma once
// A ticket plug-in (.4SP): a declarative text file describing one kind of ticket machine:
// what its ticket carries, its notes, its company names and the ticket's layout. Parsing
// checks every field; nothing in a plug-in is ever run.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace ticket {

// Plug-in information record: fourteen 32-bit words in the order callers expect.
struct PlgInfo {
    int32_t reserved = 0;      // never read
    int32_t previewWidth = 0;  // twips
    int32_t previewHeight = 0; // twips
    int32_t printsDate = 0;    // capability flags: only exactly 1 counts
    int32_t printsTime = 0;
    int32_t printsRoute = 0;
    int32_t printsStop = 0;
    int32_t printsBarcode = 0;
    int32_t barcodeCount = 0;
    int32_t maxRoute = 0;
    int32_t routeMethod = 0; // 1 = sequential numbering, else route number + round-trip flag
    int32_t stopLow = 0;
    int32_t stopHigh = 0;
    int32_t companyCount = 0;
};

enum class Align { Left, Center, Right };

// A piece of text whose {placeholders} are filled from the ticket's data.
struct Template {
    struct Part {
        QString literal; // used when field is empty
        QString field;   // company, stop, date, year, month, day, time, route, ticket, row
        int width = 0;   // zero-padded to this many digits (numbers only)
    };
    std::vector<Part> parts;
};

// Every length is in twips (1/1440 inch); millimetres are converted when read.
struct TextItem {
    int x = 0, y = 0, w = 0, h = 0;
    Template value;
    QString font;
    int sizeTwips = 200; // the font's height, 20 twips to the point
    bool bold = false;
    Align align = Align::Left;
    uint32_t color = 0x000000; // 0xBBGGRR
    bool vertical = false;     // vertically centred when true, top-aligned otherwise
};

struct LineItem {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int pen = 15;
    uint32_t color = 0x000000; // 0xBBGGRR
};

struct FrameItem {
    int x = 0, y = 0, w = 0, h = 0;
    int pen = 15;
    uint32_t color = 0x000000; // 0xBBGGRR
    std::optional<uint32_t> fill;
    int radius = 0;
};

struct BarcodeItem {
    int x = 0, y = 0, w = 0, h = 0;
    QString symbology; // code128, nw7, itf, code39, ean13, qr, datamatrix
    Template data;
    bool humanReadable = false;
};

using LayoutItem = std::variant<TextItem, LineItem, FrameItem, BarcodeItem>;

struct Plugin {
    PlgInfo info;
    QString name;
    QString notes;
    QStringList companies;
    uint32_t paper = 0xFFFFFF;
    std::vector<LayoutItem> layout;
};

// What the parser reports: the plug-in, or the first thing wrong with the file.
struct ParseResult {
    std::optional<Plugin> plugin;
    QString error; // "line 12: unknown key 'colour'", empty on success
};

// Files larger than this are refused before reading: a ticket description is a few KiB.
inline constexpr qint64 kMaxPluginBytes = 256 * 1024;

// Text of the file: UTF-8 when it starts with a byte-order mark or is valid UTF-8
// throughout, CP932 otherwise.
QString decodePluginText(const QByteArray& bytes);

ParseResult parsePlugin(const QByteArray& bytes);
// Reads and parses a file, refusing a missing, unreadable or oversized one.
ParseResult loadPlugin(const QString& path);

// The values a drawn ticket shows.
struct TicketData {
    QString company;
    QString stopName;
    QString date; // as passed: MM-DD-YYYY or YYYY/MM/DD
    QString time; // HH:MM:SS
    int32_t route = 0;
    int ticketNo = 0;
    int row = 0;
};

// Fills a template; numbers are padded to the part's width.
QString expand(const Template& t, const TicketData& d);

} // namespace ticket
