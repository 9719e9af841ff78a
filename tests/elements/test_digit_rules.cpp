#include "DigitRules.h"

#include <gtest/gtest.h>

namespace {

struct LitCase {
    const char* name;
    DigitValue value;
    int16_t zeroMode;
    int16_t fillZero;
    int16_t shift;
    const char* seen; // "_" = unlit position
};

QString seen(const DigitValue& v, int16_t zero, int16_t fill, int16_t shift) {
    DigitState st;
    st.setKeta(3);
    st.setZeroMode(zero);
    st.setFillZero(fill);
    st.setShift(shift);
    return positionText(litText(v, st), st.Keta).replace(QLatin1Char(' '), QLatin1Char('_'));
}

} // namespace

TEST(DigitRules, WorkedExamples) {
    const LitCase cases[] = {
        {"fare fills three positions", DigitValue::number(230), 0, 0, 0, "230"},
        {"short fare is right aligned", DigitValue::number(50), 0, 0, 0, "_50"},
        {"zero is blank in mode 0", DigitValue::number(0), 0, 0, 0, "___"},
        {"zero shows 0 in mode 1", DigitValue::number(0), 1, 0, 0, "__0"},
        {"minus one shows 0 in mode 2", DigitValue::number(-1), 2, 0, 0, "__0"},
        {"zero is blank in mode 2", DigitValue::number(0), 2, 0, 0, "___"},
        {"fill zero pads", DigitValue::number(7), 0, 2, 0, "_07"},
        {"shift moves left", DigitValue::number(12), 0, 0, 1, "12_"},
        {"long value keeps its right end", DigitValue::number(1234), 0, 0, 0, "234"},
        {"mode 3 shows minus one as 0", DigitValue::number(-1), 3, 0, 0, "__0"},
        {"mode 3 shows empty as 0", DigitValue::text({}), 3, 0, 0, "__0"},
        {"mode 0 blanks empty text", DigitValue::text({}), 0, 0, 0, "___"},
        {"text zero counts as zero", DigitValue::text(QStringLiteral("0")), 0, 0, 0, "___"},
        {"numeric text is zero filled", DigitValue::text(QStringLiteral("12")), 0, 3, 0, "012"},
        {"non-numeric text is never filled", DigitValue::text(QStringLiteral("AB")), 0, 3, 0,
         "_AB"},
        {"minus one shows as is in mode 0", DigitValue::number(-1), 0, 0, 0, "_-1"},
        {"negative fill keeps the sign", DigitValue::number(-5), 0, 2, 0, "-05"},
        {"route text keeps its zeros", DigitValue::text(QStringLiteral("00012")), 0, 0, 0, "012"},
    };
    for (const LitCase& c : cases)
        EXPECT_EQ(seen(c.value, c.zeroMode, c.fillZero, c.shift), QString::fromUtf8(c.seen))
            << c.name;
}

TEST(DigitRules, WriteRulesBoundEachProperty) {
    DigitState st;
    st.setKeta(0);
    EXPECT_EQ(st.Keta, 4);
    st.setKeta(16);
    EXPECT_EQ(st.Keta, 4);
    st.setKeta(3);
    st.setFillZero(5);
    EXPECT_EQ(st.FillZero, 3);
    st.setShift(3);
    EXPECT_EQ(st.Shift, 2);
    st.setShift(-2);
    EXPECT_EQ(st.Shift, 0);
    st.setZeroMode(7);
    EXPECT_EQ(st.ZeroMode, 0);
    st.setZeroMode(3);
    EXPECT_EQ(st.ZeroMode, 3);
    st.setDegitSize(9);
    EXPECT_EQ(st.DegitSize, 0);
    st.setDegitSize(2);
    EXPECT_EQ(st.DegitSize, 2);
}

TEST(DigitRules, SizeClassesGiveTheElementSize) {
    DigitState st;
    st.setKeta(3);
    st.setDegitSize(2);
    EXPECT_EQ(st.pixelWidth(), 57);
    EXPECT_EQ(st.pixelHeight(), 29);
    st.setDegitSize(3);
    EXPECT_EQ(st.pixelWidth(), 33);
    EXPECT_EQ(st.pixelHeight(), 15);
    EXPECT_EQ(digitFaceName(5), QStringLiteral("M_DegitA"));
    EXPECT_EQ(digitFaceName(1), QStringLiteral("M_DegitB"));
    EXPECT_EQ(digitFaceName(2), QStringLiteral("M_DegitC"));
}
