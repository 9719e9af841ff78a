// The .4SP reader: the sample plug-ins, what makes a file invalid, templates and the text
// encodings a plug-in may be written in.
#include "Cp932.h"
#include "TicketPlugin.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ticket;

namespace {

QByteArray minimal(const QByteArray& extraPlugin = {}, const QByteArray& layout = {}) {
    return "[plugin]\nformat = 1\nname = t\nwidth = 30mm\nheight = 2000\n" + extraPlugin +
           "[layout]\n" + layout;
}

QString demoPlugin(const char* name) {
    return QStringLiteral(DEMO_DIR "/plugins/") + QString::fromLatin1(name);
}

} // namespace

TEST(TicketPlugin, SamplePluginsDescribeWhatTheyPrint) {
    const ParseResult plain = loadPlugin(demoPlugin("plain.4SP"));
    ASSERT_TRUE(plain.plugin) << plain.error.toStdString();
    const PlgInfo& a = plain.plugin->info;
    EXPECT_EQ(a.previewWidth, 2400);
    EXPECT_EQ(a.previewHeight, 3000);
    EXPECT_EQ(a.printsDate, 1);
    EXPECT_EQ(a.printsTime, 0);
    EXPECT_EQ(a.printsStop, 1);
    EXPECT_EQ(a.printsBarcode, 0);
    EXPECT_EQ(a.companyCount, 1);
    EXPECT_TRUE(plain.plugin->notes.startsWith(QStringLiteral("番号だけの")));
    EXPECT_FALSE(plain.plugin->notes.endsWith(u'\n'));

    const ParseResult bar = loadPlugin(demoPlugin("barcode.4SP"));
    ASSERT_TRUE(bar.plugin) << bar.error.toStdString();
    const PlgInfo& b = bar.plugin->info;
    EXPECT_EQ(b.printsBarcode, 1);
    EXPECT_EQ(b.barcodeCount, 2);
    EXPECT_EQ(b.routeMethod, 1);
    EXPECT_EQ(b.maxRoute, 99);
    EXPECT_EQ(b.stopLow, 1);
    EXPECT_EQ(b.stopHigh, 50);
    EXPECT_EQ(b.companyCount, 3);
    EXPECT_EQ(bar.plugin->companies.value(2), QStringLiteral("みなもシティバス"));
}

TEST(TicketPlugin, LengthsInMillimetresBecomeTwips) {
    const ParseResult r = parsePlugin(minimal());
    ASSERT_TRUE(r.plugin) << r.error.toStdString();
    EXPECT_EQ(r.plugin->info.previewWidth, 1701); // 30 mm
    EXPECT_EQ(r.plugin->info.previewHeight, 2000);
}

TEST(TicketPlugin, InvalidFilesAreRefusedWithTheirReason) {
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "empty"},
        {"binary", QByteArray("\x00\x01\x02[plugin]", 11), "not text"},
        {"no section", "format = 1\n", "before the first"},
        {"unknown key", minimal("colour = red\n"), "unknown key 'colour'"},
        {"unknown section", "[macros]\n", "unknown section"},
        {"format 2", "[plugin]\nformat = 2\n", "format 2"},
        {"flag not yes or no", minimal("print-date = 2\n"), "neither yes nor no"},
        {"too wide", "[plugin]\nformat=1\nname=t\nwidth=300mm\n", "5mm to 203mm"},
        {"missing height", "[plugin]\nformat=1\nname=t\nwidth=2000\n", "needs height"},
        {"barcode without settings", minimal("print-barcode = yes\n"), "needs barcodes="},
        {"barcode count mismatch",
         minimal("print-barcode = yes\nbarcodes = 2\nroute-method = sequential\nmax-route = 9\n"
                 "stops = 1-5\n",
                 "barcode x=0 y=0 w=1000 h=500 type=qr data=\"{ticket}\"\n"),
         "barcodes=2 but the layout has 1"},
        {"barcode item without print-barcode",
         minimal({}, "barcode x=0 y=0 w=9 h=9 type=qr data=1\n"), "without print-barcode"},
        {"reversed stops", minimal("stops = 9-1\n"), "past the last"},
        {"item past the edge", minimal({}, "frame x=1000 y=0 w=1000 h=100\n"), "past the ticket"},
        {"unknown field", minimal({}, "text x=0 y=0 w=9 h=9 size=8 value=\"{fare}\"\n"),
         "unknown field {fare}"},
        {"padded text field", minimal({}, "text x=0 y=0 w=9 h=9 size=8 value=\"{stop:3}\"\n"),
         "cannot be padded"},
        {"unknown item key", minimal({}, "line x1=0 y1=0 x2=9 y2=9 script=run\n"),
         "unknown key 'script'"},
        {"unknown symbology", minimal({}, "barcode x=0 y=0 w=9 h=9 type=pdf data=1\n"),
         "unknown barcode type"},
        {"unclosed quote", minimal({}, "text x=0 y=0 w=9 h=9 size=8 value=\"abc\n"),
         "unclosed quote"},
        {"twice", minimal("name = again\n"), "given twice"},
    };
    for (const Case& c : cases) {
        const ParseResult r = parsePlugin(c.bytes);
        EXPECT_FALSE(r.plugin) << c.name;
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.reason)))
            << c.name << ": " << r.error.toStdString();
    }
}

TEST(TicketPlugin, ErrorsNameTheirLine) {
    const ParseResult r = parsePlugin("[plugin]\nformat = 1\n\nwidth = wide\n");
    ASSERT_FALSE(r.plugin);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("line 4: "))) << r.error.toStdString();
}

TEST(TicketPlugin, OversizedFileIsRefusedBeforeReading) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.4SP"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(100LL * 1024 * 1024)); // sparse: 100 MB without writing them
    f.close();
    const ParseResult r = loadPlugin(path);
    EXPECT_FALSE(r.plugin);
    EXPECT_TRUE(r.error.contains(QStringLiteral("larger than")));
    EXPECT_FALSE(loadPlugin(dir.filePath(QStringLiteral("missing.4SP"))).plugin);
}

TEST(TicketPlugin, TextIsUtf8OrElseCp932) {
    const QString name = QStringLiteral("整理券（東）");
    const QByteArray utf8 =
        "[plugin]\nformat=1\nname=" + name.toUtf8() + "\nwidth=900\nheight=900\n";
    const std::string sjis = cp932::encode(QString::fromUtf8(utf8));
    const QByteArray bom = "\xEF\xBB\xBF" + utf8;
    for (const QByteArray& bytes : {utf8, QByteArray::fromStdString(sjis), bom}) {
        const ParseResult r = parsePlugin(bytes);
        ASSERT_TRUE(r.plugin) << r.error.toStdString();
        EXPECT_EQ(r.plugin->name, name);
    }
}

TEST(TicketPlugin, TemplatesFillFieldsAndPadNumbers) {
    const ParseResult r = parsePlugin(
        minimal({}, "text x=0 y=0 w=9 h=9 size=8 value=\"{{{route:3}}}-{ticket}/{row:2} {stop} "
                    "{year}年{month}月{day}日 {time} {company}\"\n"));
    ASSERT_TRUE(r.plugin) << r.error.toStdString();
    const auto& t = std::get<TextItem>(r.plugin->layout.front());
    TicketData d{QStringLiteral("みなも"),
                 QStringLiteral("駅前"),
                 QStringLiteral("03-07-2026"),
                 QStringLiteral("08:05:09"),
                 7,
                 12,
                 4};
    EXPECT_EQ(expand(t.value, d), QStringLiteral("{007}-12/04 駅前 2026年3月7日 08:05:09 みなも"));
    d.date = QStringLiteral("2026/12/01"); // the fixed-date form
    d.route = 0;
    EXPECT_EQ(expand(t.value, d), QStringLiteral("{000}-12/04 駅前 2026年12月1日 08:05:09 みなも"));
    d.date = QStringLiteral("someday"); // a date that is neither form prints no parts
    EXPECT_EQ(expand(t.value, d), QStringLiteral("{000}-12/04 駅前 年月日 08:05:09 みなも"));
}
