// Drawn tickets: the two sample plug-ins against committed pictures, barcodes read back
// by a decoder, and inputs that must draw something sensible instead of failing.
#include "Barcode.h"
#include "ImageCompare.h"
#include "TicketPainter.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ticket;

namespace {

Plugin sample(const char* name) {
    const ParseResult r =
        loadPlugin(QStringLiteral(DEMO_DIR "/plugins/") + QString::fromLatin1(name));
    EXPECT_TRUE(r.plugin) << r.error.toStdString();
    return r.plugin.value_or(Plugin{});
}

TicketData stopData() {
    return {QStringLiteral("みなも交通"),
            QStringLiteral("市役所前"),
            QStringLiteral("12-07-2026"),
            QStringLiteral("08:15:30"),
            5,
            12,
            7};
}

QImage draw(const Plugin& p, int scale, const TicketData& d) {
    QImage img(p.info.previewWidth / 15 * scale, p.info.previewHeight / 15 * scale,
               QImage::Format_RGB32);
    img.fill(Qt::magenta);
    drawTicket(p, img, d);
    return img;
}

void compareWithReference(const QImage& got, const char* name) {
    const QString ref = QStringLiteral(REFERENCE_DIR "/") + QString::fromLatin1(name);
    if (qEnvironmentVariableIsSet("MINAMO_UPDATE_REFERENCES")) {
        ASSERT_TRUE(got.save(ref));
        GTEST_SKIP() << "reference picture written";
    }
    const QImage want = QImage(ref).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(want.isNull()) << "no reference picture " << name;
    ASSERT_EQ(got.size(), want.size());
    EXPECT_LE(pixelsDiffering(got, want), got.width() * got.height() / 200);
}

// What zbarimg reads in a picture, one symbol a line ("CODE-128:0500712").
QStringList decode(const QImage& img) {
    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        return {QStringLiteral("zbarimg missing")};
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.png"));
    img.save(file);
    QProcess p;
    p.start(zbar, {QStringLiteral("-q"), file});
    p.waitForFinished(30000);
    QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

} // namespace

TEST(TicketPainter, PlainTicketMatchesItsReference) {
    const QImage img = draw(sample("plain.4SP"), 1, stopData());
    EXPECT_EQ(img.size(), QSize(160, 200));
    compareWithReference(img, "ticket_plain.png");
}

TEST(TicketPainter, BarcodeTicketMatchesItsReference) {
    const QImage img = draw(sample("barcode.4SP"), 1, stopData());
    EXPECT_EQ(img.size(), QSize(220, 200));
    compareWithReference(img, "ticket_barcode.png");
}

TEST(TicketPainter, BarcodesDecodeToTheTicketsData) {
    // Three times the preview size, as a printer would have it: the bars are whole pixels.
    const QImage img = draw(sample("barcode.4SP"), 3, stopData());
    EXPECT_EQ(decode(img).join(u'|').toStdString(), "CODE-128:05007012|Codabar:A01205B");
}

TEST(TicketPainter, BarsAreSharpWholePixels) {
    const BarcodeSymbol s = encodeBarcode(QStringLiteral("code128"), QStringLiteral("123456"));
    ASSERT_FALSE(s.modules.isNull()) << s.error.toStdString();
    const QImage img = draw(sample("barcode.4SP"), 2, stopData());
    // Only black and white inside the barcode boxes: no blurred grey edges.
    for (int y = 2 * 1770 / 15 + 2; y < 2 * (1770 + 300) / 15; ++y)
        for (int x = 2 * 90 / 15 + 1; x < 2 * (90 + 3120) / 15; ++x) {
            const int g = qGray(img.pixel(x, y));
            ASSERT_TRUE(g == 0 || g == 255) << x << "," << y << " is " << g;
        }
}

TEST(TicketPainter, DataTheSymbologyRefusesDrawsAnErrorMark) {
    const ParseResult r = parsePlugin(
        "[plugin]\nformat=1\nname=t\nwidth=1500\nheight=1500\nprint-barcode=yes\nbarcodes=1\n"
        "route-method=sequential\nmax-route=9\nstops=1-9\n[layout]\n"
        "barcode x=0 y=0 w=1500 h=1500 type=ean13 data=\"{stop}\"\n");
    ASSERT_TRUE(r.plugin) << r.error.toStdString();
    const QImage img = draw(*r.plugin, 1, stopData()); // a stop name is no EAN-13 number
    EXPECT_EQ(img.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(50, 50), qRgb(200, 0, 0)); // on the cross
    EXPECT_FALSE(encodeBarcode(QStringLiteral("itf"), QStringLiteral("12AB")).error.isEmpty());
}

TEST(TicketPainter, MissingFontFallsBackAndStillDrawsText) {
    const ParseResult r =
        parsePlugin("[plugin]\nformat=1\nname=t\nwidth=1500\nheight=600\n[layout]\n"
                    "text x=0 y=0 w=1500 h=600 size=20 font=\"No Such Font 9\" value=\"{stop}\"\n");
    ASSERT_TRUE(r.plugin) << r.error.toStdString();
    const QImage img = draw(*r.plugin, 1, stopData());
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            dark += qGray(img.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 50);
}

TEST(TicketPainter, LongStopNameShrinksIntoItsBox) {
    const Plugin p = sample("plain.4SP");
    TicketData d = stopData();
    d.stopName = QStringLiteral("県立みなも総合医療センター東口バスターミナル前");
    const QImage img = draw(p, 1, d);
    // The stop line's box (x 8..152) holds all the ink of that line.
    const int y0 = 2170 / 15, y1 = (2170 + 330) / 15;
    for (int y = y0; y < y1; ++y)
        for (int x : {5, 6, 153, 154})
            EXPECT_GT(qGray(img.pixel(x, y)), 200) << x << "," << y;
}

TEST(TicketPainter, JapaneseInEveryFieldIncludingAMatrixCode) {
    const ParseResult r = parsePlugin(
        "[plugin]\nformat=1\nname=和文整理券\nwidth=3000\nheight=3000\nprint-barcode=yes\n"
        "barcodes=1\nroute-method=route-and-direction\nmax-route=999\nstops=1-99\n"
        "[companies]\n東西交通\n[notes]\n日本語の説明です。\n[layout]\n"
        "text x=0 y=0 w=3000 h=600 size=12 font=\"IPA明朝\" value=\"{company}・{stop}\"\n"
        "barcode x=0 y=600 w=3000 h=2400 type=qr data=\"{stop}{ticket:2}番\"\n");
    ASSERT_TRUE(r.plugin) << r.error.toStdString();
    EXPECT_EQ(r.plugin->notes, QStringLiteral("日本語の説明です。"));
    const QImage img = draw(*r.plugin, 2, stopData());
    EXPECT_EQ(decode(img).join(u'|').toStdString(), "QR-Code:市役所前12番");
}
