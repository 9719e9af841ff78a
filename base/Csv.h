#pragma once
// The one CSV reader every file we take in goes through: RFC 4180 quoting (a quoted field
// may hold commas, quotes doubled and line breaks), CR LF or LF line ends, a UTF-8 byte
// order mark skipped, blank lines skipped. Records are handed over one at a time, so a
// large file never lies in memory twice.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

namespace csv {

// Calls `record` for each record with its first line number (1-based) and its fields;
// returning false stops the reading.
void forEachRecord(QStringView text, const std::function<bool(int line, const QStringList&)>& record);

// Every record of `text` with its line.
std::vector<std::pair<int, QStringList>> records(QStringView text);

// A header line's columns by name: names are taken without surrounding blanks, tabs,
// quotes or a byte order mark, and compared without regard to case.
class Header {
  public:
    explicit Header(const QStringList& names = {});
    // The column of `name`, or -1.
    int column(const QString& name) const;
    bool has(const QString& name) const { return column(name) >= 0; }

  private:
    QHash<QString, int> columns_;
};

// A field of a record by column (an empty string past its end), trimmed.
inline QString field(const QStringList& r, int column) {
    return column >= 0 && column < r.size() ? r[column].trimmed() : QString();
}

} // namespace csv
