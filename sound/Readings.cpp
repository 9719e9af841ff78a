#include "Readings.h"
#include "RegularFile.h"

#include "BroadcastFile.h"

#include <QFile>
#include <algorithm>

Readings Readings::fromBytes(std::string_view bytes) {
    Readings r;
    std::vector<QString> lines;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        const QString text =
            QString::fromUtf8(bytes.data() + 3, static_cast<qsizetype>(bytes.size() - 3));
        for (const QString& l : text.split(QLatin1Char('\n')))
            lines.push_back(l.endsWith(QLatin1Char('\r')) ? l.chopped(1) : l);
    } else {
        lines = broadcast::lines(bytes);
    }
    for (const QString& l : lines) {
        const qsizetype comma = l.indexOf(QLatin1Char(','));
        if (comma <= 0)
            continue;
        const QString written = l.left(comma).trimmed();
        const QString reading = l.mid(comma + 1).trimmed();
        if (!written.isEmpty() && !reading.isEmpty())
            r.pairs_.emplace_back(written, reading);
    }
    std::stable_sort(r.pairs_.begin(), r.pairs_.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    return r;
}

Readings Readings::fromFile(const QString& path) {
    QFile f(path);
    if (files::notRegularFile(path) || !f.open(QIODevice::ReadOnly) ||
        f.size() > 4 * 1024 * 1024)
        return {};
    const QByteArray b = f.readAll();
    return fromBytes(std::string_view(b.constData(), static_cast<size_t>(b.size())));
}

QString Readings::apply(const QString& text) const {
    if (pairs_.empty())
        return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const auto& [written, reading] : pairs_)
            if (QStringView(text).mid(i).startsWith(written)) {
                out += reading;
                i += written.size();
                replaced = true;
                break;
            }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

std::vector<QString> speechPieces(const QString& text) {
    static const QString cuts = QStringLiteral("。、！？!?");
    std::vector<QString> pieces;
    QString cur;
    for (const QChar c : text) {
        cur += c;
        if (cuts.contains(c)) {
            if (!cur.trimmed().isEmpty())
                pieces.push_back(cur);
            cur.clear();
        }
    }
    if (!cur.trimmed().isEmpty())
        pieces.push_back(cur);
    return pieces;
}
