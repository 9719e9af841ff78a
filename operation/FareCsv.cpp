#include "FareCsv.h"

#include "ChimeiLayout.h"
#include "Cp932.h"
#include "Csv.h"
#include "Limits.h"

#include <limits>

namespace farecsv {
namespace {

QString quoted(const QString& field) {
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')) &&
        field.trimmed() == field)
        return field;
    QString q = field;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// The project's one CSV reader.
std::vector<std::pair<int, QStringList>> records(const QString& text) {
    return csv::records(text);
}

std::optional<int16_t> toI16(const QString& s) {
    const QString t = s.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const long long v = t.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(v);
}

} // namespace

QString toCsv(const hy3::File& f) {
    int widest = 0;
    for (const hy3::Row& r : f.rows)
        for (int k = limits::kDataColumns; k > widest; --k)
            if (r.columns[static_cast<size_t>(k - 1)] != 0) {
                widest = k;
                break;
            }
    QString out = QStringLiteral("停留所名,整理券番号");
    for (int k = 1; k <= widest; ++k)
        out += QLatin1Char(',') + QString::number(k);
    out += QLatin1Char('\n');
    for (const hy3::Row& r : f.rows) {
        int last = 0;
        for (int k = limits::kDataColumns; k >= 1; --k)
            if (r.columns[static_cast<size_t>(k - 1)] != 0) {
                last = k;
                break;
            }
        out += quoted(cp932::decode(r.name)) + QLatin1Char(',') + QString::number(r.ticketNo);
        for (int k = 1; k <= last; ++k)
            out += QLatin1Char(',') + QString::number(r.columns[static_cast<size_t>(k - 1)]);
        out += QLatin1Char('\n');
    }
    return out;
}

FromCsvResult fromCsv(const QString& text) {
    FromCsvResult res;
    hy3::File f;
    auto recs = records(text);
    size_t start = 0;
    if (!recs.empty() && (recs[0].second.size() < 2 || !toI16(recs[0].second[1]) ||
                          recs[0].second[1].trimmed().isEmpty()))
        start = 1; // header line
    for (size_t i = start; i < recs.size(); ++i) {
        const auto& [line, fields] = recs[i];
        if (fields.size() > limits::kDataColumns + 2) {
            res.error =
                QStringLiteral(
                    "line %1: %2 fields; a stop has at most %3 (name, ticket number, %4 columns)")
                    .arg(line)
                    .arg(fields.size())
                    .arg(limits::kDataColumns + 2)
                    .arg(limits::kDataColumns);
            return res;
        }
        hy3::Row row;
        row.name = cp932::encode(fields[0]);
        if (row.name.size() > 0xFFFF) {
            res.error = QStringLiteral("line %1: the stop name is too long").arg(line);
            return res;
        }
        for (qsizetype k = 1; k < fields.size(); ++k) {
            const std::optional<int16_t> v = toI16(fields[k]);
            if (!v) {
                res.error =
                    QStringLiteral(
                        "line %1, field %2: \"%3\" is not a whole number from -32768 to 32767")
                        .arg(line)
                        .arg(k + 1)
                        .arg(fields[k]);
                return res;
            }
            if (k == 1)
                row.ticketNo = *v;
            else
                row.columns[static_cast<size_t>(k - 2)] = *v;
        }
        f.rows.push_back(std::move(row));
    }
    if (f.rows.size() > static_cast<size_t>(hy3::kMaxRows)) {
        res.error = QStringLiteral("%1 stops; a route holds at most %2")
                        .arg(f.rows.size())
                        .arg(limits::kRouteRows);
        return res;
    }
    f.declaredRows = static_cast<int16_t>(f.rows.size());
    res.file = std::move(f);
    return res;
}

CheckReport check(const hy3::File& f) {
    CheckReport rep;
    if (f.declaredRows <= 0)
        rep.problems << QStringLiteral("the file declares %1 stops: no trip can start on it")
                            .arg(f.declaredRows);
    else if (f.declaredRows == 1)
        rep.problems << QStringLiteral(
            "only one stop: the last stop can never be a starting section, so no trip can start");
    if (f.trailingBytes > 0)
        rep.problems
            << QStringLiteral("%1 bytes after the last stop are ignored").arg(f.trailingBytes);
    int row = 0;
    for (const hy3::Row& r : f.rows) {
        ++row;
        // Names go in with the numbers in one arg() call: a name holding "%3" stays as it is.
        const QString name = cp932::decode(r.name);
        if (!cp932::isValid(r.name))
            rep.problems << QStringLiteral(
                                "stop %1: the name is not valid Shift-JIS (shown as \"%2\")")
                                .arg(row)
                                .arg(name);
        const int chars = static_cast<int>(r.name.size()) / 2;
        const int bytes = static_cast<int>(r.name.size());
        if (chimeiScrolls(bytes, false))
            rep.notes << QStringLiteral("stop %1 \"%2\": %3 characters, scrolls on the display")
                             .arg(QString::number(row), name, QString::number(chars));
        else if (chimeiScrolls(bytes, true) && row > 1)
            rep.notes << QStringLiteral(
                             "stop %1 \"%2\": %3 characters, scrolls when 「次は」 is shown")
                             .arg(QString::number(row), name, QString::number(chars));
    }
    if (f.declaredRows >= 2 && !f.rows.empty())
        rep.notes << QStringLiteral(
                         "the last stop \"%1\" can never be a starting section (sections 1-%2 can)")
                         .arg(cp932::decode(f.rows.back().name),
                              QString::number(f.declaredRows - 1));
    return rep;
}

} // namespace farecsv
