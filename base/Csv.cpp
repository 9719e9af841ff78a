#include "Csv.h"

namespace csv {

void forEachRecord(QStringView text,
                   const std::function<bool(int line, const QStringList&)>& record) {
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1);
    QStringList fields;
    QString cur;
    bool inQuotes = false, any = false;
    int line = 1, recordLine = 1;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    cur += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                cur += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            inQuotes = true;
            any = true;
        } else if (c == QLatin1Char(',')) {
            fields << cur;
            cur.clear();
            any = true;
        } else if (c == QLatin1Char('\r')) {
            continue;
        } else if (c == QLatin1Char('\n')) {
            if (any || !cur.isEmpty()) {
                fields << cur;
                if (!record(recordLine, fields))
                    return;
            }
            fields.clear();
            cur.clear();
            any = false;
            recordLine = ++line;
        } else {
            // Runs of plain characters are taken in one piece.
            qsizetype j = i + 1;
            while (j < n && text[j] != QLatin1Char(',') && text[j] != QLatin1Char('"') &&
                   text[j] != QLatin1Char('\r') && text[j] != QLatin1Char('\n'))
                ++j;
            cur += text.mid(i, j - i);
            i = j - 1;
            any = true;
        }
    }
    if (any || !cur.isEmpty()) {
        fields << cur;
        record(recordLine, fields);
    }
}

std::vector<std::pair<int, QStringList>> records(QStringView text) {
    std::vector<std::pair<int, QStringList>> out;
    forEachRecord(text, [&out](int line, const QStringList& f) {
        out.emplace_back(line, f);
        return true;
    });
    return out;
}

Header::Header(const QStringList& names) {
    for (int i = 0; i < names.size(); ++i) {
        QString n = names[i];
        n.remove(QChar(0xFEFF));
        n = n.trimmed();
        if (n.startsWith(QLatin1Char('"')) && n.endsWith(QLatin1Char('"')) && n.size() >= 2)
            n = n.mid(1, n.size() - 2).trimmed();
        n = n.toLower();
        if (!columns_.contains(n))
            columns_.insert(n, i);
    }
}

int Header::column(const QString& name) const {
    return columns_.value(name.toLower(), -1);
}

} // namespace csv
