#include "TicketPlugin.h"

#include "ColorCodes.h"
#include "Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringConverter>
#include <cmath>
#include <map>
#include <set>

namespace ticket {

namespace {

constexpr int kMaxTicketTwips = 11520; // eight inches: far beyond any ticket roll
constexpr int kMinTicketTwips = 283;   // five millimetres
constexpr int kMaxCompanies = 16;
constexpr int kMaxCompanyChars = 32;
constexpr int kMaxNotesChars = 4000;
constexpr int kMaxItems = 200;
constexpr int kMaxBarcodes = 8;

const std::set<QString>& symbologies() {
    static const std::set<QString> s = {QStringLiteral("code128"),   QStringLiteral("nw7"),
                                        QStringLiteral("itf"),       QStringLiteral("code39"),
                                        QStringLiteral("ean13"),     QStringLiteral("qr"),
                                        QStringLiteral("datamatrix")};
    return s;
}

const std::set<QString>& textFields() {
    static const std::set<QString> s = {QStringLiteral("company"), QStringLiteral("stop"),
                                        QStringLiteral("date"),    QStringLiteral("year"),
                                        QStringLiteral("month"),   QStringLiteral("day"),
                                        QStringLiteral("time")};
    return s;
}

const std::set<QString>& numberFields() {
    static const std::set<QString> s = {QStringLiteral("route"), QStringLiteral("ticket"),
                                        QStringLiteral("row")};
    return s;
}

// Raised inside the parser and turned into the result's reason.
struct Bad {
    QString why;
};

[[noreturn]] void fail(const QString& why) {
    throw Bad{why};
}

// A length: "12mm", "12.5mm", "300tw" or a bare number of twips.
int length(const QString& v) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,6}(?:\\.\\d{1,3})?)(mm|tw)?$"));
    const auto m = re.match(v);
    if (!m.hasMatch())
        fail(QStringLiteral("'%1' is not a length (12mm, 300tw or 300)").arg(v));
    const double n = m.captured(1).toDouble();
    if (m.captured(2) == QLatin1String("mm"))
        return static_cast<int>(std::lround(n * 1440.0 / 25.4));
    if (n != std::floor(n))
        fail(QStringLiteral("'%1': twips are whole numbers").arg(v));
    return static_cast<int>(n);
}

int integer(const QString& v, int lo, int hi) {
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n < lo || n > hi)
        fail(QStringLiteral("'%1' is not a whole number from %2 to %3").arg(v).arg(lo).arg(hi));
    return n;
}

bool yesNo(const QString& v) {
    if (v == QLatin1String("yes"))
        return true;
    if (v == QLatin1String("no"))
        return false;
    fail(QStringLiteral("'%1' is neither yes nor no").arg(v));
}

// "#rrggbb" as the board keeps colours: 0xBBGGRR.
uint32_t colour(const QString& v) {
    static const QRegularExpression re(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!re.match(v).hasMatch())
        fail(QStringLiteral("'%1' is not a colour (#rrggbb)").arg(v));
    return bgrFromArgb(v.mid(1).toUInt(nullptr, 16));
}

Template parseTemplate(const QString& s) {
    Template t;
    QString lit;
    auto flush = [&] {
        if (!lit.isEmpty())
            t.parts.push_back({lit, {}, 0});
        lit.clear();
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'{' && i + 1 < s.size() && s[i + 1] == u'{') {
            lit += c;
            ++i;
        } else if (c == u'}' && i + 1 < s.size() && s[i + 1] == u'}') {
            lit += c;
            ++i;
        } else if (c == u'{') {
            const qsizetype end = s.indexOf(u'}', i);
            if (end < 0)
                fail(QStringLiteral("unclosed '{' in '%1'").arg(s));
            const QString inner = s.mid(i + 1, end - i - 1);
            const QString name = inner.section(u':', 0, 0);
            int width = 0;
            if (inner.contains(u':')) {
                if (!numberFields().count(name))
                    fail(QStringLiteral("{%1} cannot be padded").arg(inner));
                width = integer(inner.section(u':', 1), 1, 10);
            } else if (!numberFields().count(name) && !textFields().count(name)) {
                fail(QStringLiteral("unknown field {%1}").arg(inner));
            }
            flush();
            t.parts.push_back({{}, name, width});
            i = end;
        } else if (c == u'}') {
            fail(QStringLiteral("stray '}' in '%1'").arg(s));
        } else {
            lit += c;
        }
    }
    flush();
    return t;
}

// Splits a layout line into its kind and key=value pairs; values may be double-quoted.
std::pair<QString, std::vector<std::pair<QString, QString>>> splitItem(const QString& line) {
    std::vector<std::pair<QString, QString>> pairs;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < line.size() && line[i].isSpace())
            ++i;
    };
    auto word = [&] {
        const qsizetype start = i;
        while (i < line.size() && !line[i].isSpace() && line[i] != u'=')
            ++i;
        return line.mid(start, i - start);
    };
    skipSpace();
    const QString kind = word();
    for (;;) {
        skipSpace();
        if (i >= line.size())
            break;
        const QString key = word();
        if (key.isEmpty() || i >= line.size() || line[i] != u'=')
            fail(QStringLiteral("expected key=value after '%1'").arg(key));
        ++i;
        QString value;
        if (i < line.size() && line[i] == u'"') {
            const qsizetype end = line.indexOf(u'"', i + 1);
            if (end < 0)
                fail(QStringLiteral("unclosed quote after %1=").arg(key));
            value = line.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const qsizetype start = i;
            while (i < line.size() && !line[i].isSpace())
                ++i;
            value = line.mid(start, i - start);
        }
        for (const auto& p : pairs)
            if (p.first == key)
                fail(QStringLiteral("'%1' given twice").arg(key));
        pairs.emplace_back(key, value);
    }
    return {kind, pairs};
}

class Parser {
  public:
    Plugin run(const QString& text);

  private:
    void pluginKey(const QString& key, const QString& value);
    void layoutLine(const QString& line);
    void checkBox(int x, int y, int w, int h) const;
    void finish();

    Plugin p_;
    std::set<QString> seen_;
    bool barcodes_ = false;
    int barcodeCount_ = -1;
    bool hasMethod_ = false, hasMaxRoute_ = false, hasStops_ = false;
};

void Parser::pluginKey(const QString& key, const QString& value) {
    if (!seen_.insert(key).second)
        fail(QStringLiteral("'%1' given twice").arg(key));
    PlgInfo& r = p_.info;
    if (key == QLatin1String("format")) {
        if (value != QLatin1String("1"))
            fail(QStringLiteral("format %1 is not known (this program reads format 1)").arg(value));
    } else if (key == QLatin1String("name")) {
        if (value.isEmpty() || value.size() > 64)
            fail(QStringLiteral("the name must have 1 to 64 characters"));
        p_.name = value;
    } else if (key == QLatin1String("width") || key == QLatin1String("height")) {
        const int v = length(value);
        if (v < kMinTicketTwips || v > kMaxTicketTwips)
            fail(QStringLiteral("%1 must be 5mm to 203mm").arg(key));
        (key == QLatin1String("width") ? r.previewWidth : r.previewHeight) = v;
    } else if (key == QLatin1String("print-date")) {
        r.printsDate = yesNo(value);
    } else if (key == QLatin1String("print-time")) {
        r.printsTime = yesNo(value);
    } else if (key == QLatin1String("print-route")) {
        r.printsRoute = yesNo(value);
    } else if (key == QLatin1String("print-stop")) {
        r.printsStop = yesNo(value);
    } else if (key == QLatin1String("print-barcode")) {
        barcodes_ = yesNo(value);
        r.printsBarcode = barcodes_;
    } else if (key == QLatin1String("barcodes")) {
        barcodeCount_ = integer(value, 0, kMaxBarcodes);
    } else if (key == QLatin1String("route-method")) {
        if (value == QLatin1String("sequential"))
            r.routeMethod = 1;
        else if (value == QLatin1String("route-and-direction"))
            r.routeMethod = 2;
        else
            fail(QStringLiteral("route-method is sequential or route-and-direction"));
        hasMethod_ = true;
    } else if (key == QLatin1String("max-route")) {
        r.maxRoute = integer(value, 1, 99999);
        hasMaxRoute_ = true;
    } else if (key == QLatin1String("stops")) {
        static const QRegularExpression re(QStringLiteral("^(\\d{1,4})-(\\d{1,4})$"));
        const auto m = re.match(value);
        if (!m.hasMatch())
            fail(QStringLiteral("stops is a range such as 1-50"));
        r.stopLow = m.captured(1).toInt();
        r.stopHigh = m.captured(2).toInt();
        if (r.stopLow > r.stopHigh)
            fail(QStringLiteral("stops %1: the first is past the last").arg(value));
        hasStops_ = true;
    } else if (key == QLatin1String("paper")) {
        p_.paper = colour(value);
    } else {
        fail(QStringLiteral("unknown key '%1'").arg(key));
    }
}

void Parser::checkBox(int x, int y, int w, int h) const {
    if (w <= 0 || h <= 0)
        fail(QStringLiteral("an item needs a width and a height"));
    if (x + w > p_.info.previewWidth || y + h > p_.info.previewHeight)
        fail(QStringLiteral("the item reaches past the ticket's edge"));
}

void Parser::layoutLine(const QString& line) {
    if (p_.info.previewWidth == 0 || p_.info.previewHeight == 0)
        fail(QStringLiteral("[layout] comes after the ticket's width and height"));
    if (static_cast<int>(p_.layout.size()) >= kMaxItems)
        fail(QStringLiteral("more than %1 layout items").arg(kMaxItems));
    const auto split = splitItem(line);
    const QString kind = split.first;
    std::map<QString, QString> kv(split.second.begin(), split.second.end());
    auto take = [&](const char* key, bool required) -> std::optional<QString> {
        auto it = kv.find(QString::fromLatin1(key));
        if (it == kv.end()) {
            if (required)
                fail(QStringLiteral("%1 needs %2=").arg(kind, QString::fromLatin1(key)));
            return std::nullopt;
        }
        QString v = it->second;
        kv.erase(it);
        return v;
    };
    auto len = [&](const char* key) { return length(*take(key, true)); };
    // The box every boxed item has, checked to lie on the ticket.
    auto box = [&](auto& item) {
        item.x = len("x");
        item.y = len("y");
        item.w = len("w");
        item.h = len("h");
        checkBox(item.x, item.y, item.w, item.h);
    };
    if (kind == QLatin1String("text") || kind == QLatin1String("number")) {
        TextItem t;
        box(t);
        const bool number = kind == QLatin1String("number");
        const auto value = take("value", !number);
        t.value = parseTemplate(value.value_or(QStringLiteral("{ticket}")));
        t.font = take("font", false).value_or(QStringLiteral("IPAGothic"));
        if (t.font.isEmpty() || t.font.size() > 64)
            fail(QStringLiteral("a font name has 1 to 64 characters"));
        t.sizeTwips = integer(take("size", true).value(), 1, 400) * 20;
        const QString weight =
            take("weight", false)
                .value_or(number ? QStringLiteral("bold") : QStringLiteral("normal"));
        if (weight != QLatin1String("bold") && weight != QLatin1String("normal"))
            fail(QStringLiteral("weight is bold or normal"));
        t.bold = weight == QLatin1String("bold");
        const QString align =
            take("align", false)
                .value_or(number ? QStringLiteral("center") : QStringLiteral("left"));
        if (align == QLatin1String("left"))
            t.align = Align::Left;
        else if (align == QLatin1String("center"))
            t.align = Align::Center;
        else if (align == QLatin1String("right"))
            t.align = Align::Right;
        else
            fail(QStringLiteral("align is left, center or right"));
        const QString valign = take("valign", false).value_or(QStringLiteral("middle"));
        if (valign != QLatin1String("top") && valign != QLatin1String("middle"))
            fail(QStringLiteral("valign is top or middle"));
        t.vertical = valign == QLatin1String("middle");
        if (auto c = take("color", false))
            t.color = colour(*c);
        p_.layout.emplace_back(t);
    } else if (kind == QLatin1String("line")) {
        LineItem l;
        l.x1 = len("x1");
        l.y1 = len("y1");
        l.x2 = len("x2");
        l.y2 = len("y2");
        for (int x : {l.x1, l.x2})
            if (x > p_.info.previewWidth)
                fail(QStringLiteral("the line reaches past the ticket's edge"));
        for (int y : {l.y1, l.y2})
            if (y > p_.info.previewHeight)
                fail(QStringLiteral("the line reaches past the ticket's edge"));
        if (auto pen = take("pen", false))
            l.pen = length(*pen);
        if (auto c = take("color", false))
            l.color = colour(*c);
        p_.layout.emplace_back(l);
    } else if (kind == QLatin1String("frame")) {
        FrameItem f;
        box(f);
        if (auto pen = take("pen", false))
            f.pen = length(*pen);
        if (auto c = take("color", false))
            f.color = colour(*c);
        if (auto c = take("fill", false))
            f.fill = colour(*c);
        if (auto r = take("radius", false))
            f.radius = length(*r);
        p_.layout.emplace_back(f);
    } else if (kind == QLatin1String("barcode")) {
        BarcodeItem b;
        box(b);
        b.symbology = *take("type", true);
        if (!symbologies().count(b.symbology))
            fail(QStringLiteral("unknown barcode type '%1'").arg(b.symbology));
        b.data = parseTemplate(*take("data", true));
        if (auto t = take("text", false))
            b.humanReadable = yesNo(*t);
        p_.layout.emplace_back(b);
    } else {
        fail(QStringLiteral("unknown layout item '%1'").arg(kind));
    }
    if (!kv.empty())
        fail(QStringLiteral("unknown key '%1' for %2").arg(kv.begin()->first, kind));
}

void Parser::finish() {
    PlgInfo& r = p_.info;
    for (const char* k : {"format", "name", "width", "height"})
        if (!seen_.count(QString::fromLatin1(k)))
            fail(QStringLiteral("[plugin] needs %1=").arg(QString::fromLatin1(k)));
    int drawnBarcodes = 0;
    for (const auto& item : p_.layout)
        drawnBarcodes += std::holds_alternative<BarcodeItem>(item) ? 1 : 0;
    if (barcodes_) {
        if (!hasMethod_ || !hasMaxRoute_ || !hasStops_ || barcodeCount_ < 1)
            fail(QStringLiteral(
                "a barcode ticket needs barcodes=, route-method=, max-route= and stops="));
        if (drawnBarcodes != barcodeCount_)
            fail(QStringLiteral("barcodes=%1 but the layout has %2")
                     .arg(barcodeCount_)
                     .arg(drawnBarcodes));
        r.barcodeCount = barcodeCount_;
    } else if (drawnBarcodes > 0 || barcodeCount_ > 0 || hasMethod_ || hasMaxRoute_ || hasStops_) {
        fail(QStringLiteral("barcode settings without print-barcode=yes"));
    }
    r.companyCount = static_cast<int32_t>(p_.companies.size());
    while (p_.notes.endsWith(u'\n'))
        p_.notes.chop(1);
    if (p_.notes.size() > kMaxNotesChars)
        fail(QStringLiteral("the notes are longer than %1 characters").arg(kMaxNotesChars));
}

Plugin Parser::run(const QString& text) {
    enum class Section { None, Plugin, Companies, Notes, Layout };
    Section section = Section::None;
    std::set<QString> sections;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString raw = lines[n];
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        try {
            const QString line = raw.trimmed();
            if (line.startsWith(u'[') && line.endsWith(u']')) {
                const QString name = line.mid(1, line.size() - 2);
                if (!sections.insert(name).second)
                    fail(QStringLiteral("[%1] given twice").arg(name));
                if (name == QLatin1String("plugin"))
                    section = Section::Plugin;
                else if (name == QLatin1String("companies"))
                    section = Section::Companies;
                else if (name == QLatin1String("notes"))
                    section = Section::Notes;
                else if (name == QLatin1String("layout"))
                    section = Section::Layout;
                else
                    fail(QStringLiteral("unknown section [%1]").arg(name));
                continue;
            }
            // The notes are shown as written, blank lines and all.
            if (section == Section::Notes) {
                if (!p_.notes.isEmpty() || !line.isEmpty())
                    p_.notes += raw + u'\n';
                continue;
            }
            if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
                continue;
            switch (section) {
            case Section::None:
                fail(QStringLiteral("text before the first [section]"));
            case Section::Plugin: {
                const qsizetype eq = line.indexOf(u'=');
                if (eq < 0)
                    fail(QStringLiteral("expected key = value"));
                pluginKey(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
                break;
            }
            case Section::Companies:
                if (p_.companies.size() >= kMaxCompanies)
                    fail(QStringLiteral("more than %1 company names").arg(kMaxCompanies));
                if (line.size() > kMaxCompanyChars)
                    fail(QStringLiteral("a company name is longer than %1 characters")
                             .arg(kMaxCompanyChars));
                p_.companies << line;
                break;
            case Section::Layout:
                layoutLine(line);
                break;
            case Section::Notes:
                break;
            }
        } catch (const Bad& b) {
            fail(QStringLiteral("line %1: %2").arg(n + 1).arg(b.why));
        }
    }
    finish();
    return p_;
}

} // namespace

QString decodePluginText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return cp932::decode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

ParseResult parsePlugin(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {std::nullopt, QStringLiteral("the file is empty")};
    if (bytes.size() > kMaxPluginBytes)
        return {std::nullopt,
                QStringLiteral("the file is larger than %1 bytes").arg(kMaxPluginBytes)};
    if (bytes.contains('\0'))
        return {std::nullopt, QStringLiteral("the file is not text")};
    try {
        return {Parser().run(decodePluginText(bytes)), {}};
    } catch (const Bad& b) {
        return {std::nullopt, b.why};
    }
}

ParseResult loadPlugin(const QString& path) {
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isFile())
        return {std::nullopt, QStringLiteral("no such file")};
    if (fi.size() > kMaxPluginBytes)
        return {std::nullopt,
                QStringLiteral("the file is larger than %1 bytes").arg(kMaxPluginBytes)};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {std::nullopt, f.errorString()};
    return parsePlugin(f.read(kMaxPluginBytes + 1));
}

namespace {

// Year, month and day from either date form the board update passes.
std::array<QString, 3> dateParts(const QString& date) {
    static const QRegularExpression mdy(QStringLiteral("^(\\d{2})-(\\d{2})-(\\d{4})$"));
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    if (auto m = mdy.match(date); m.hasMatch())
        return {m.captured(3), m.captured(1), m.captured(2)};
    if (auto m = ymd.match(date); m.hasMatch())
        return {m.captured(1), m.captured(2), m.captured(3)};
    return {};
}

} // namespace

QString expand(const Template& t, const TicketData& d) {
    QString out;
    for (const auto& p : t.parts) {
        if (p.field.isEmpty()) {
            out += p.literal;
            continue;
        }
        auto number = [&](long v) {
            return p.width > 0 ? QStringLiteral("%1").arg(v, p.width, 10, QLatin1Char('0'))
                               : QString::number(v);
        };
        if (p.field == QLatin1String("company"))
            out += d.company;
        else if (p.field == QLatin1String("stop"))
            out += d.stopName;
        else if (p.field == QLatin1String("date"))
            out += d.date;
        else if (p.field == QLatin1String("time"))
            out += d.time;
        else if (p.field == QLatin1String("year"))
            out += dateParts(d.date)[0];
        else if (p.field == QLatin1String("month") || p.field == QLatin1String("day")) {
            // Printed without a leading zero, as tickets show 12月7日.
            const QString part = dateParts(d.date)[p.field == QLatin1String("month") ? 1 : 2];
            out += part.isEmpty() ? QString() : QString::number(part.toInt());
        } else if (p.field == QLatin1String("route"))
            out += number(d.route);
        else if (p.field == QLatin1String("ticket"))
            out += number(d.ticketNo);
        else if (p.field == QLatin1String("row"))
            out += number(d.row);
    }
    return out;
}

} // namespace ticket
