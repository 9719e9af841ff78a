#include "RouteRules.h"

#include "AppError.h"
#include "Cp932.h"
#include "Limits.h"

void KeypadEntry::press(int button) {
    if (button == 10) {
        target = EntryTarget::Route;
        route.clear();
    } else if (button == 11) {
        target = EntryTarget::Section;
        section.clear();
    } else if (button >= 0 && button <= 9) {
        QString& label = target == EntryTarget::Route ? route : section;
        const int limit = target == EntryTarget::Route ? 5 : 3;
        if (label.size() < limit)
            label += QString::number(button);
    }
}

int16_t normalizeSection(const QString& sectionText) {
    long long v = 0;
    for (QChar c : sectionText)
        if (c.isDigit())
            v = std::min<long long>(v * 10 + c.digitValue(), 100000);
    if (v == 0)
        return 1;
    if (v >= limits::kRouteRows)
        return limits::kRouteRows - 1;
    return static_cast<int16_t>(v);
}

std::optional<int16_t> stepTarget(const RouteState& s, bool forward) {
    if (forward) {
        if (s.CurrentRow >= s.RowCount)
            return std::nullopt;
        return static_cast<int16_t>(s.CurrentRow + 1);
    }
    if (s.CurrentRow <= 1)
        return std::nullopt;
    return static_cast<int16_t>(s.CurrentRow - 1);
}

QString stepSoundFor(const Options& o, const RouteTable& t, int row) {
    if (o.StepSoundFixed != 0)
        return o.StepSoundFile;
    if (o.StepSoundByColumn != 0) {
        const int col = o.StepSoundColumn + 1;
        if (col < 1 || col > kDataColumns)
            return {};
        switch (t.row(row).column(col)) {
        case 1:
            return o.StepSound1;
        case 2:
            return o.StepSound2;
        case 3:
            return o.StepSound3;
        default:
            return {};
        }
    }
    return {};
}

QString routeDateText(const QDate& d) {
    return d.toString(QStringLiteral("MM-dd-yyyy"));
}

DispPlan planDispData(const RouteTable& t, const RouteState& s, const Options& o, bool lateNight,
                      int n) {
    const RouteRow& row = t.row(n); // out of range fails like the board update does
    DispPlan plan;
    for (int k = std::max<int>(s.StartSection, 1); k <= limits::kFareCells; ++k) {
        // Doubling in a wider type: a fare above 16383 still shows instead of
        // overflowing the 16-bit value and ending the program.
        long v = row.column(k);
        if (lateNight && v != -1)
            v *= 2;
        plan.writes.push_back({k, DigitValue::number(static_cast<double>(v))});
    }
    auto info = [&](int16_t cellIndex, DigitValue v) {
        const int pos = cellFromIndex(cellIndex);
        if (pos >= 0 && pos <= limits::kFareCells)
            plan.writes.push_back({pos, std::move(v)});
    };
    if (o.ShowStopOrder != 0)
        info(o.StopOrderCell, DigitValue::number(o.StopOrderFromZero != 0 ? n - 1 : n));
    if (o.ShowTicketNumber != 0)
        info(o.TicketNumberCell, DigitValue::number(row.TicketNo));
    if (o.ShowRouteNumber != 0)
        info(o.RouteNumberCell, DigitValue::text(s.RouteDigits));
    if (o.ShowDataColumn != 0) {
        const int col = o.DataColumn + 1;
        if (col >= 1 && col <= kDataColumns)
            info(o.DataColumnCell, DigitValue::number(row.column(col)));
    }
    plan.stopName = row.StopName;
    plan.stopNameBytes = row.StopNameBytes;
    plan.firstRow = n < 2;
    return plan;
}

QString ticketDateText(const Options& o, const QString& routeDate, const QDate& today) {
    if (o.DatePerRoute != 0)
        return routeDate;
    if (o.DateFixed != 0)
        return o.FixedDateText;
    return routeDateText(today);
}

SeirikenArgs seirikenArgs(const RouteTable& t, const RouteState& s, const Options& o,
                          const QString& routeDate, const QDateTime& now, int n) {
    const RouteRow& row = t.row(n);
    SeirikenArgs a;
    a.stopName = QByteArray::fromStdString(row.StopNameBytes);
    a.date = QByteArray::fromStdString(cp932::encode(ticketDateText(o, routeDate, now.date())));
    a.time = now.time().toString(QStringLiteral("HH:mm:ss")).toLatin1();
    bool ok = false;
    const qlonglong route = s.RouteDigits.toLongLong(&ok);
    a.route = ok ? static_cast<int32_t>(route) : 0;
    a.ticketNo = row.TicketNo;
    a.row = static_cast<int16_t>(n);
    return a;
}
