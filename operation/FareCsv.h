#pragma once
// Fare data as a spreadsheet: one CSV row per stop with the stop name, the ticket
// number and data columns 1-150 (trailing zero columns left out), and the checks a
// user wants before loading a route.
#include "Hy3Format.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace farecsv {

// CSV text (a header line, then one line per stop) of a fare data file.
QString toCsv(const hy3::File& f);

struct FromCsvResult {
    std::optional<hy3::File> file;
    QString error; // with the line number, when file is empty
};
// Reads CSV text; a first line whose second field is not a number is a header.
FromCsvResult fromCsv(const QString& text);

struct CheckReport {
    QStringList problems; // things that break a trip or lose data
    QStringList notes;    // things worth knowing
};
CheckReport check(const hy3::File& f);

} // namespace farecsv
