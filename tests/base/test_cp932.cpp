#include "ApiLib.h"
#include "AppError.h"
#include "Cp932.h"

#include <gtest/gtest.h>

TEST(Cp932, RoundTripsJapaneseAndAscii) {
    const QString text = QStringLiteral("市役所前 ABC ｱｲｳ ～①");
    const std::string bytes = cp932::encode(text);
    EXPECT_EQ(cp932::decode(bytes), text);
    // 市 is 0x8E73 in Shift-JIS: two bytes, lead byte first.
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x8E);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x73);
    EXPECT_TRUE(cp932::isValid(bytes));
}

TEST(Cp932, HalfWidthKanaIsOneByteAndBackslashStaysAscii) {
    EXPECT_EQ(cp932::encode(QStringLiteral("ｱ")).size(), 1u);
    EXPECT_EQ(cp932::encode(QStringLiteral("\\")), std::string("\\"));
}

TEST(Cp932, InvalidBytesDecodeVisiblyAndDecodingGoesOn) {
    // A lone lead byte in the middle and one cut off at the end.
    const std::string bad = std::string("A\x81") + "B" + "\x8E";
    const QString s = cp932::decode(bad);
    EXPECT_TRUE(s.startsWith(QLatin1Char('A')));
    EXPECT_TRUE(s.contains(QChar(0xFFFD)));
    EXPECT_FALSE(cp932::isValid(bad));
    EXPECT_TRUE(cp932::decode(std::string("\xFF\xFF\xFF", 3)).size() >= 1);
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(cp932::encode(QStringLiteral("a😀b")), std::string("a?b"));
}

TEST(Cp932, FirstCodeReadsTheLeadAndTrailByte) {
    EXPECT_EQ(cp932::firstCode(cp932::encode(QStringLiteral("駅"))), 0x8977u);
    EXPECT_EQ(cp932::firstCode(cp932::encode(QStringLiteral("え"))), 0x82A6u);
    EXPECT_EQ(cp932::firstCode(cp932::encode(QStringLiteral("Ａ"))), 0x8260u);
    EXPECT_EQ(cp932::firstCode("A"), 0x41u);
    EXPECT_EQ(cp932::firstCode(""), 0u);
}

TEST(ByteStrings, LenBCountsDoubleByteCharactersTwice) {
    EXPECT_EQ(ApiLib::LenB_ASCII(QStringLiteral("市役所前")), 8);
    EXPECT_EQ(ApiLib::LenB_ASCII(QStringLiteral("A駅")), 3);
    EXPECT_EQ(ApiLib::LenB_ASCII(QString()), 0);
}

TEST(ByteStrings, MidBTakesBytesAndShortensAtTheEnd) {
    const QString s = QStringLiteral("次は港");
    EXPECT_EQ(cp932::decode(ApiLib::MidB_ASCII(s, 3, 2)), QStringLiteral("は"));
    EXPECT_EQ(ApiLib::MidB_ASCII(s, 6, 2).size(), 1u);
    EXPECT_TRUE(ApiLib::MidB_ASCII(s, 7, 2).empty());
    EXPECT_TRUE(ApiLib::MidB_ASCII(s, 0, 2).empty());
}

TEST(Paths, TrailingSeparatorIsAddedOnce) {
    EXPECT_EQ(ApiLib::withTrailingSeparator(QStringLiteral("/data")), QStringLiteral("/data/"));
    EXPECT_EQ(ApiLib::withTrailingSeparator(QStringLiteral("/data/")), QStringLiteral("/data/"));
    EXPECT_EQ(ApiLib::withTrailingSeparator(QString()), QString());
}

TEST(AppErrors, CarryNumberAndJapaneseDescription) {
    const AppError e(ErrNo::FileNotFound);
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), QStringLiteral("ファイルが見つかりません。"));
    EXPECT_EQ(AppError(ErrNo::InvalidPicture).description(),
              QStringLiteral("ピクチャが不正です。"));
}
