#include "Numbering.h"

#include "Limits.h"

QString ticketNumberText(int k, int leadingZero) {
    QString t = QString::number(k);
    if (leadingZero != 0 && k >= 0 && k < 10)
        t.prepend(QLatin1Char('0'));
    return t;
}

NumberingPlan numberingPlan(int mode, int leadingZero) {
    NumberingPlan plan;
    if (mode >= 2) {
        switch (mode) {
        case 2:
        case 3:
            plan.label1Text = QStringLiteral("な し");
            break;
        case 4:
        case 5:
            plan.label1Text = QStringLiteral("無 券");
            break;
        case 6:
        case 7:
            plan.label1Text = QStringLiteral("券なし");
            break;
        case 8:
        case 9:
            plan.label1Text = QStringLiteral("券無し");
            break;
        default:
            plan.label1Text = QString();
            break;
        }
    }
    const bool keepNumber =
        mode == 0 || mode == 3 || mode == 5 || mode == 7 || mode == 9 || mode == 11;
    if (mode == 0)
        plan.label1Text = ticketNumberText(1, leadingZero);
    else if (mode == 1)
        plan.label1Text = ticketNumberText(0, leadingZero);
    for (int n = 2; n <= limits::kFareCells; ++n)
        plan.others[static_cast<size_t>(n - 2)] =
            ticketNumberText(keepNumber ? n : n - 1, leadingZero);
    plan.label1Points = (mode < 2 || mode > 9) ? 14 : 12;
    return plan;
}
