#include "BroadcastFile.h"

#include "Cp932.h"

#include <QDir>
#include <limits>

namespace broadcast {

QString findFile(const QString& folder, const QString& routeNumber) {
    const QString wanted = routeNumber + QStringLiteral("tp.csv");
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& n : names)
        if (n.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(n);
    return {};
}

std::vector<QString> lines(std::string_view bytes) {
    std::vector<QString> out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.push_back(cp932::decode(line));
        start = end + 1;
    }
    return out;
}

namespace {
std::optional<int16_t> number(const QString& field) {
    const QString t = field.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(v);
}
} // namespace

std::optional<TapeEntry> parseLine(const QString& line) {
    qsizetype i = 0;
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
        ++i;
    TapeEntry e;
    if (i < line.size() && line[i] == QLatin1Char('"')) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
        if (close < 0)
            return std::nullopt;
        e.Text = line.mid(i + 1, close - i - 1);
        i = line.indexOf(QLatin1Char(','), close);
    } else {
        const qsizetype comma = line.indexOf(QLatin1Char(','), i);
        e.Text = line.mid(i, comma < 0 ? -1 : comma - i);
        i = comma;
    }
    if (i < 0)
        return std::nullopt;
    const QStringList rest = line.mid(i + 1).split(QLatin1Char(','));
    if (rest.size() < 2)
        return std::nullopt;
    const auto advance = number(rest[0]);
    const auto sound = number(rest[1]);
    if (!advance || !sound)
        return std::nullopt;
    e.AdvanceFlag = *advance;
    e.SoundFlag = *sound;
    return e;
}

std::vector<QString> problems(std::string_view bytes) {
    std::vector<QString> out;
    const std::vector<QString> all = lines(bytes);
    if (all.empty())
        out.push_back(QStringLiteral("the file is empty"));
    for (size_t i = 0; i < all.size(); ++i) {
        if (parseLine(all[i]))
            continue;
        const bool blank = all[i].trimmed().isEmpty();
        out.push_back(
            QStringLiteral("line %1: %2")
                .arg(i + 1)
                .arg(blank ? QStringLiteral("empty line (a blank line at the end counts too)")
                           : QStringLiteral("not text, advance flag, chime flag (\"%1\")")
                                 .arg(all[i])));
    }
    return out;
}

int positionForRow(const std::vector<int>& flags, int startRow) {
    int rowsStepped = 0;
    for (size_t i = 0; i < flags.size() && startRow > 1; ++i)
        if (flags[i] == 1 && ++rowsStepped == startRow - 1)
            return static_cast<int>(i) + 1;
    return 0;
}

} // namespace broadcast
