#include "FakeCompanion.h"
#include "M_Degit.h"

#include <gtest/gtest.h>

namespace {
M_Degit& fareDigit(M_Degit& d) {
    d.setKeta(3);
    d.setDegitSize(2);
    d.setDegitStyle(1);
    return d;
}
} // namespace

TEST(M_Degit, ValueWriteRedrawsButSettingsWaitForTheNextRedraw) {
    M_Degit d;
    fareDigit(d).setValue(50.0);
    EXPECT_EQ(d.litNow(), QStringLiteral("50"));
    const QImage before = d.image();
    d.setFillZero(3);
    EXPECT_EQ(d.litNow(), QStringLiteral("50"));
    EXPECT_EQ(d.image(), before);
    d.setValue(d.Value());
    EXPECT_EQ(d.litNow(), QStringLiteral("050"));
}

TEST(M_Degit, KetaResizesTheElement) {
    M_Degit d;
    d.setDegitSize(2);
    d.setKeta(3);
    EXPECT_EQ(d.size(), QSize(57, 29));
    d.setKeta(16);
    EXPECT_EQ(d.Keta(), 4);
    EXPECT_EQ(d.size(), QSize(76, 29));
}

TEST(M_Degit, LitSegmentsLandOnTheUnlitPatternAtEverySizeAndStyle) {
    // All positions lit must cover exactly the pixels the unlit pattern covers.
    for (int16_t size = 0; size <= 3; ++size)
        for (int16_t style = 0; style <= 2; ++style)
            for (int16_t keta : {1, 3, 15}) {
                M_Degit d;
                d.setDegitSize(size);
                d.setDegitStyle(style);
                d.setKeta(keta);
                d.setBaseForeColor(0x0000FF);
                d.setDegitForeColor(0x00FF00);
                d.ResetDegit(-1);
                const QImage img = d.image();
                int red = 0, green = 0;
                for (int y = 0; y < img.height(); ++y)
                    for (int x = 0; x < img.width(); ++x) {
                        const QColor c = img.pixelColor(x, y);
                        if (c.red() > 200 && c.green() < 60)
                            ++red;
                        if (c.green() > 200 && c.red() < 60)
                            ++green;
                    }
                EXPECT_GT(green, 10 * keta) << size << "/" << style << "/" << keta;
                EXPECT_EQ(red, 0) << size << "/" << style << "/" << keta;
            }
}

TEST(M_Degit, ResetDegitLightsAllAndKeepsSettings) {
    M_Degit d;
    fareDigit(d);
    d.setShift(1);
    d.setZeroMode(2);
    d.setFillZero(2);
    d.ResetDegit(-1);
    EXPECT_EQ(d.litNow(), QStringLiteral("888"));
    EXPECT_EQ(d.Shift(), 1);
    EXPECT_EQ(d.ZeroMode(), 2);
    EXPECT_EQ(d.FillZero(), 2);
    d.ResetDegit(0);
    EXPECT_EQ(d.litNow(), QString());
}

TEST(M_Degit, ShowSetDlgTakesTheValuesBackWhateverTheResult) {
    auto& fake = FakeCompanion::reset();
    M_Degit d;
    fareDigit(d);
    fake.dlg100Answer = {1, 2, 3};
    fake.dlg100Result = 2;
    EXPECT_EQ(d.ShowSetDlg(), 2);
    ASSERT_EQ(fake.dlg100Calls.size(), 1u);
    EXPECT_EQ(fake.dlg100Calls[0].keta, 3);
    EXPECT_EQ(d.ZeroMode(), 1);
    EXPECT_EQ(d.Shift(), 2);
    EXPECT_EQ(d.FillZero(), 3);
}

TEST(M_Degit, PersistsOnlyChangedKeysAndRestoresWithoutRules) {
    M_Degit d;
    EXPECT_TRUE(d.saveProperties().empty());
    fareDigit(d);
    d.setValue(QStringLiteral("00012"));
    d.setUserSet(false);
    auto bag = d.saveProperties();
    EXPECT_EQ(bag.at(QStringLiteral("Keta")), QStringLiteral("3"));
    EXPECT_EQ(bag.count(QStringLiteral("ZeroMode")), 0u);
    EXPECT_EQ(bag.at(QStringLiteral("UserSet")), QStringLiteral("0"));

    bag[QStringLiteral("FillZero")] = QStringLiteral("9"); // beyond Keta: restored as stored
    M_Degit r;
    r.restoreProperties(bag);
    EXPECT_EQ(r.Keta(), 3);
    EXPECT_EQ(r.FillZero(), 9);
    EXPECT_FALSE(r.UserSet());
    ASSERT_TRUE(r.Value().isText());
    EXPECT_EQ(r.Value().asText(), QStringLiteral("00012"));

    M_Degit fresh;
    fresh.restoreProperties({});
    EXPECT_EQ(fresh.Keta(), 4);
    EXPECT_TRUE(fresh.UserSet());
    EXPECT_TRUE(fresh.Value().isNumber());
}
