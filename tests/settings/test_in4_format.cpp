// The settings file against bytes written out here by hand, block by block, not by our
// writer; then the short and odd files users may have.
#include "Cp932.h"
#include "In4Format.h"

#include <gtest/gtest.h>

namespace {

// Appends little-endian fields the way the file lays them out.
struct Bytes {
    std::string b;
    Bytes& i16(int v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>((v >> 8) & 0xFF));
        return *this;
    }
    Bytes& i32(long long v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes& str(const QString& s) {
        const std::string e = cp932::encode(s);
        i16(static_cast<int>(e.size()));
        b += e;
        return *this;
    }
};

// Blocks 1-6 with the design-time defaults, then blocks 7-11 with `cell` for every digit.
std::string defaultsFile() {
    Bytes f;
    f.str({}).str({});                                                // block 1
    f.i16(1).i32(0xFFFFFF).i32(0xC0FFC0).i32(0xC0FFC0).i16(0).i16(0); // block 2
    f.i16(-1).i16(0).i16(-1).i16(0).i16(-1).i16(0).i16(-1).i16(0);
    f.str({}).str({}).str({});
    f.i32(0x808080).i32(0x969696).i32(0x72D2F8); // block 3
    for (int i = 0; i < 10; ++i)
        f.i16(0);
    f.i32(0x808080).i32(0x00FFFF).i16(0).i16(0).i16(0).i32(0x00FFFF).i16(0).i16(0); // block 4
    f.str({}).str({}).i16(-1).i16(0).i16(0).i16(-1).str({}).i16(0).str({}).str({}).str({}); // 5
    f.i16(-1).i16(0).i16(-1).i16(0).str({}).str({}).str({}).str({});
    f.i16(0).str({}).i16(-1).i16(0).i16(0).str({});     // block 6
    f.i16(0).i32(1).i32(0).i16(0).i16(0).i32(0).i32(0); // block 7
    f.i32(0).i32(0);                                    // block 8
    for (int i = 0; i < 17; ++i)                        // block 9
        f.i32(0);
    f.i16(32); // block 10
    for (int i = 0; i < 32 * 3; ++i)
        f.i16(0);
    return f.b;
}

} // namespace

TEST(In4Format, TheAllDefaultsFileIs440BytesAndReadsBack) {
    const std::string golden = defaultsFile();
    ASSERT_EQ(golden.size(), in4::kEmptyFileSize);
    const in4::ReadResult r = in4::read(golden);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.digitCount, 32);
    EXPECT_EQ(r.trailingBytes, 0u);
    EXPECT_EQ(r.record.options.PanelAuto, -1);
    EXPECT_EQ(r.record.options.DigitLitColor, 0x72D2F8);
    EXPECT_EQ(r.record.ctrl.ScrollSpeedValue, 1);
    // The model's own defaults write exactly these bytes.
    SettingsRecord fresh;
    const in4::WriteResult w = in4::write(fresh);
    ASSERT_TRUE(w.bytes);
    EXPECT_EQ(*w.bytes, golden);
}

TEST(In4Format, EveryBlockWithJapanesePathsFlagsAndDistinctCells) {
    Bytes f;
    const QString dir = QStringLiteral("D:\\運賃データ\\系統");
    f.str(dir + QStringLiteral("1")).str(dir + QStringLiteral("2")); // block 1
    f.i16(0).i32(-1).i32(-123456).i32(0x010203).i16(11).i16(1);      // block 2
    f.i16(0).i16(-1).i16(0).i16(-1).i16(0).i16(-1).i16(0).i16(-1);
    f.str(QStringLiteral("パネル消灯.bmp"))
        .str(QStringLiteral("パネル1.jpg"))
        .str(QStringLiteral("パネル2.gif"));
    f.i32(-2).i32(0x7FFFFFFF).i32(-2147483647 - 1); // block 3
    for (int i = 1; i <= 10; ++i)
        f.i16(i);
    f.i32(1).i32(2).i16(4).i16(1).i16(2).i32(3).i16(3).i16(1); // block 4
    f.str(QStringLiteral("系統.wav"))
        .str(QStringLiteral("リセット.wav"))
        .i16(0)
        .i16(-1)
        .i16(-1)
        .i16(0);
    f.str(QStringLiteral("送り.mid"))
        .i16(39)
        .str(QStringLiteral("音1.wav"))
        .str(QStringLiteral("音2.wav"));
    f.str(QStringLiteral("音3.wav"))
        .i16(0)
        .i16(-1)
        .i16(0)
        .i16(-1)
        .str(QStringLiteral("放送前.wav"));
    f.str(QStringLiteral("前1.wav")).str(QStringLiteral("前2.wav")).str(QStringLiteral("前3.wav"));
    f.i16(1)
        .str(QStringLiteral("C:\\整理券\\会社.4SP"))
        .i16(0)
        .i16(0)
        .i16(-1)
        .str(QStringLiteral("2026/12/07"));
    f.i16(1).i32(400).i32(1500).i16(1).i16(1).i32(13800).i32(-600); // block 7
    f.i32(-30000).i32(45);                                          // block 8
    for (int i = 0; i < 17; ++i)
        f.i32(i * 0x010101);
    f.i16(32);
    for (int i = 0; i < 32; ++i)
        f.i16(i % 3).i16(i % 4).i16(i % 5);
    const std::string golden = f.b;

    const in4::ReadResult r = in4::read(golden);
    ASSERT_TRUE(r.complete);
    const SettingsRecord& s = r.record;
    EXPECT_EQ(s.options.FareDataFolder, dir + QStringLiteral("1"));
    EXPECT_EQ(s.options.On2ImageFile, QStringLiteral("パネル2.gif"));
    EXPECT_EQ(s.options.TicketColorOff, -1);
    EXPECT_EQ(s.options.TicketColorOn1, -123456);
    EXPECT_EQ(s.options.NumberingMode, 11);
    EXPECT_EQ(s.options.PanelIndividual, -1);
    EXPECT_EQ(s.options.DigitLitColor, -2147483647 - 1);
    EXPECT_EQ(s.options.DataColumnCell, 10);
    EXPECT_EQ(s.options.TsugiwaColorValue, 3);
    EXPECT_EQ(s.options.StepSoundColumn, 39);
    EXPECT_EQ(s.options.PreSound3, QStringLiteral("前3.wav"));
    EXPECT_EQ(s.options.PluginPath, QStringLiteral("C:\\整理券\\会社.4SP"));
    EXPECT_EQ(s.options.DateFixed, -1);
    EXPECT_EQ(s.options.FixedDateText, QStringLiteral("2026/12/07"));
    EXPECT_EQ(s.ctrl.PanelPage, 1);
    EXPECT_EQ(s.ctrl.ScrollSpeedValue, 400);
    EXPECT_EQ(s.ctrl.PanelTop, -600);
    EXPECT_EQ(s.form.BoardLeft, -30000);
    EXPECT_EQ(s.customColors[16], 16 * 0x010101);
    EXPECT_EQ(s.degitCells[31].Shift, 31 % 3);
    EXPECT_EQ(s.degitCells[31].ZeroMode, 31 % 4);
    EXPECT_EQ(s.degitCells[31].FillZero, 31 % 5);
    const in4::WriteResult w = in4::write(s);
    ASSERT_TRUE(w.bytes);
    EXPECT_EQ(*w.bytes, golden);
}

TEST(In4Format, ShortAndOddFilesReadWhatTheyHave) {
    const std::string full = defaultsFile();
    // Three bytes: the first string's count and one byte of a string that needs none.
    const in4::ReadResult three = in4::read(full.substr(0, 3));
    EXPECT_FALSE(three.complete);
    EXPECT_EQ(three.record.options.AutoTicketNumbers, 0); // missing: zero, not the default
    EXPECT_EQ(three.record.ctrl.ScrollSpeedValue, 0);
    // A string count running past the end: that string is empty, the rest zero.
    Bytes cut;
    cut.i16(500).b += "abc";
    const in4::ReadResult past = in4::read(cut.b);
    EXPECT_FALSE(past.complete);
    EXPECT_EQ(past.record.options.FareDataFolder, QString());
    // Every cut of a valid file reads without reading past its end.
    for (size_t n = 0; n < full.size(); ++n)
        EXPECT_FALSE(in4::read(full.substr(0, n)).complete) << n;
    // A cell count other than 32 is read and ignored; trailing bytes are counted.
    std::string other = full;
    other[246] = 7;
    other += "xyz";
    const in4::ReadResult o = in4::read(other);
    EXPECT_TRUE(o.complete);
    EXPECT_EQ(o.digitCount, 7);
    EXPECT_EQ(o.trailingBytes, 3u);
}

TEST(In4Format, TooLongAStringIsRefusedNotCut) {
    SettingsRecord r;
    r.options.PluginPath = QString(40000, QChar(0x3042)); // 80000 bytes in Shift-JIS
    const in4::WriteResult w = in4::write(r);
    EXPECT_FALSE(w.bytes);
    EXPECT_TRUE(w.error.contains(QStringLiteral("PluginPath")));
}

TEST(In4Format, FieldsByNameForTheSettingsTool) {
    SettingsRecord r;
    EXPECT_FALSE(in4::setField(r, QStringLiteral("ScrollSpeedValue"), QStringLiteral("250")));
    EXPECT_EQ(r.ctrl.ScrollSpeedValue, 250);
    EXPECT_FALSE(in4::setField(r, QStringLiteral("Degit5.ZeroMode"), QStringLiteral("2")));
    EXPECT_EQ(r.degitCells[4].ZeroMode, 2);
    EXPECT_TRUE(in4::setField(r, QStringLiteral("PanelPage"), QStringLiteral("70000")));
    EXPECT_TRUE(in4::setField(r, QStringLiteral("Nothing"), QStringLiteral("1")));
    const QString text = in4::dump(r);
    EXPECT_TRUE(text.startsWith(QStringLiteral("FareDataFolder = \n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nDigitCount = 32\nDegit1.Shift = 0\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nScrollSpeedValue = 250\n")));
    // A file's own count is what its dump shows, although a save writes 32.
    EXPECT_TRUE(in4::dump(r, 7).contains(QStringLiteral("\nDigitCount = 7\nDegit1.Shift")));
}
