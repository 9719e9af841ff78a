#include "DigitRules.h"

#include <cmath>

std::optional<double> DigitValue::numeric() const {
    if (isNumber())
        return asNumber();
    bool ok = false;
    const double d = asText().trimmed().toDouble(&ok);
    if (ok && !asText().trimmed().isEmpty())
        return d;
    return std::nullopt;
}

QString DigitValue::toText() const {
    if (isText())
        return asText();
    return QString::number(asNumber(), 'g', 15);
}

DigitSizeClass digitSizeClass(int16_t degitSize) {
    switch (degitSize) {
    case 1:
        return {255, 390, 24};
    case 2:
        return {285, 435, 27};
    case 3:
        return {165, 225, 14};
    default:
        return {195, 300, 18};
    }
}

QString digitFaceName(int16_t degitStyle) {
    switch (degitStyle) {
    case 1:
        return QStringLiteral("M_DegitB");
    case 2:
        return QStringLiteral("M_DegitC");
    default:
        return QStringLiteral("M_DegitA");
    }
}

namespace {

// Zero fill to `digits` places, rounded half away from zero, minus sign in front.
QString zeroFilled(double d, int digits) {
    const long long n = std::llround(d);
    QString body = QString::number(n < 0 ? -n : n).rightJustified(digits, QLatin1Char('0'));
    return n < 0 ? QLatin1Char('-') + body : body;
}

} // namespace

QString litText(const DigitValue& value, const DigitState& st) {
    DigitValue v = value;
    const std::optional<double> num = v.numeric();
    const bool isZero = num && *num == 0.0;
    const bool isMinusOne = num && *num == -1.0;
    const bool isEmpty = v.isText() && v.asText().isEmpty();

    switch (st.ZeroMode) {
    case 0:
        if (isZero || isEmpty)
            v = DigitValue::text({});
        break;
    case 1:
        if (isZero || isEmpty)
            v = DigitValue::number(0);
        break;
    case 2:
        if (isMinusOne)
            v = DigitValue::number(0);
        else if (isZero)
            v = DigitValue::text({});
        break;
    case 3:
        if (isMinusOne || isZero || isEmpty)
            v = DigitValue::number(0);
        break;
    default:
        break;
    }

    QString text;
    const std::optional<double> n2 = v.numeric();
    if (n2 && st.FillZero > 0)
        text = zeroFilled(*n2, st.FillZero);
    else
        text = v.toText();
    if (st.Shift >= 1)
        text += QString(st.Shift, QLatin1Char(' '));
    if (st.Keta >= 0 && text.size() > st.Keta)
        text = text.right(st.Keta);
    return text;
}

QString positionText(const QString& lit, int keta) {
    if (keta <= 0)
        return {};
    return lit.right(keta).rightJustified(keta, QLatin1Char(' '));
}
