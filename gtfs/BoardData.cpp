#include "BoardData.h"

#include "Cp932.h"
#include "Limits.h"

#include <algorithm>

namespace gtfs {

std::vector<int> groupTickets(const FareMatrix& m) {
    std::vector<int> ticket(static_cast<size_t>(m.n), 1);
    int number = 1;
    for (int i = 1; i < m.n; ++i) {
        // Row i joins the ticket of row i-1 when both pay the same to every stop after
        // them both; the terminus, where nobody boards, keeps the last ticket.
        bool same = true;
        for (int j = i + 1; j < m.n && same; ++j)
            same = m.at(i - 1, j) == m.at(i, j);
        if (!same)
            ++number;
        ticket[static_cast<size_t>(i)] = number;
    }
    return ticket;
}

std::string encodeName(const QString& name, QStringList& replaced) {
    // Nearly every name is whole in CP932: one conversion there and back tells.
    std::string whole = cp932::encode(name);
    if (cp932::decode(whole) == name)
        return whole;
    QString safe;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype len = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString ch = name.mid(i, len);
        i += len - 1;
        if (cp932::decode(cp932::encode(ch)) == ch) {
            safe += ch;
        } else {
            safe += QStringLiteral("〓");
            if (!replaced.contains(ch))
                replaced << ch;
        }
    }
    return cp932::encode(safe);
}

namespace {

QString quotedField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QByteArray announcements(const QStringList& names) {
    QStringList lines;
    lines << quotedField(QStringLiteral("ご乗車ありがとうございます。このバスは、%1行きです。")
                             .arg(names.last())) +
                 QStringLiteral(",0,1");
    for (qsizetype k = 1; k < names.size(); ++k) {
        const bool terminus = k + 1 == names.size();
        lines << quotedField(terminus ? QStringLiteral("次は、終点、%1です。お忘れ物のないよう、"
                                                       "ご注意ください。")
                                            .arg(names[k])
                                      : QStringLiteral("次は、%1です。お降りの方はお知らせください。")
                                            .arg(names[k])) +
                     (terminus ? QStringLiteral(",1,3") : QStringLiteral(",1,2"));
    }
    QStringList unused;
    return QByteArray::fromStdString(encodeName(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), unused));
}

} // namespace

BoardData makeBoard(const Feed& f, const Pattern& p, const FareMatrix& m) {
    BoardData b;
    const std::vector<int> ticket = groupTickets(m);
    b.tickets = ticket.empty() ? 0 : ticket.back();
    b.firstRowOfTicket.assign(static_cast<size_t>(b.tickets), 0);
    for (int i = m.n - 1; i >= 0; --i)
        b.firstRowOfTicket[static_cast<size_t>(ticket[static_cast<size_t>(i)] - 1)] = i;
    QStringList names;
    for (int i = 0; i < m.n; ++i) {
        const QString name = f.passengerName(p.stops[static_cast<size_t>(i)]);
        names << name;
        hy3::Row row;
        row.name = encodeName(name, b.replaced);
        row.ticketNo = static_cast<int16_t>(ticket[static_cast<size_t>(i)]);
        // Column t of row j: the fare from where ticket t is first issued, dark (0) for a
        // ticket issued here or later, and for a pair the feed gives no fare.
        for (int t = 1; t <= std::min(b.tickets, limits::kDataColumns); ++t) {
            const int from = b.firstRowOfTicket[static_cast<size_t>(t - 1)];
            const int fare = from < i ? m.at(from, i) : -1;
            if (fare > 999)
                ++b.over999;
            row.columns[static_cast<size_t>(t - 1)] =
                static_cast<int16_t>(fare <= 0 ? 0 : std::min(fare, 32767));
        }
        b.fares.rows.push_back(std::move(row));
    }
    b.fares.declaredRows = static_cast<int16_t>(b.fares.rows.size());
    b.broadcast = announcements(names);
    return b;
}

} // namespace gtfs
