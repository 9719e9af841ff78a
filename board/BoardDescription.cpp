#include "Form1.h"

#include "ColorCodes.h"

#include <QJsonArray>
#include <QScreen>

// The board as a record: every fare digit and label, the stop-name line and the window.
namespace {
QJsonValue valueJson(const DigitValue& v) {
    if (v.isNumber())
        return v.asNumber();
    return v.asText();
}
} // namespace

QJsonObject Form1::describe() const {
    QJsonObject o;
    QJsonArray digits, labels;
    for (int n = 1; n <= limits::kFareCells; ++n) {
        const DigitState& d = model_.cells[static_cast<size_t>(n)];
        QJsonObject j;
        j[QStringLiteral("index")] = n;
        j[QStringLiteral("Value")] = valueJson(d.Value);
        j[QStringLiteral("lit")] = model_.litText(n);
        j[QStringLiteral("Keta")] = d.Keta;
        j[QStringLiteral("ZeroMode")] = d.ZeroMode;
        j[QStringLiteral("Shift")] = d.Shift;
        j[QStringLiteral("FillZero")] = d.FillZero;
        j[QStringLiteral("BackColor")] = static_cast<qint64>(d.BackColor);
        j[QStringLiteral("BaseForeColor")] = static_cast<qint64>(d.BaseForeColor);
        j[QStringLiteral("DegitForeColor")] = static_cast<qint64>(d.DegitForeColor);
        digits.append(j);

        const BoardLabel& l = model_.labels[static_cast<size_t>(n)];
        QJsonObject k;
        k[QStringLiteral("index")] = n;
        k[QStringLiteral("Caption")] = l.text;
        k[QStringLiteral("Visible")] = l.visible;
        k[QStringLiteral("ForeColor")] = static_cast<qint64>(bgrFromArgb(l.colour));
        k[QStringLiteral("FontSize")] = l.font.pointSizeF();
        labels.append(k);
    }
    o[QStringLiteral("Degit")] = digits;
    o[QStringLiteral("lblSeiriNum")] = labels;

    const StopLine& c = model_.stopLine;
    QJsonObject ch;
    ch[QStringLiteral("name")] = c.name();
    ch[QStringLiteral("TsugiwaMode")] = c.settings.tsugiwaMode;
    ch[QStringLiteral("Speed")] = c.settings.speed;
    ch[QStringLiteral("ScrollStartWait")] = c.settings.startWait;
    ch[QStringLiteral("stripLeft")] = c.stripLeft();
    ch[QStringLiteral("stripWidth")] = c.strip().width();
    ch[QStringLiteral("scrolling")] = c.scrolling();
    ch[QStringLiteral("BackColor")] = static_cast<qint64>(c.settings.backColor);
    ch[QStringLiteral("ForeColor")] = static_cast<qint64>(c.settings.foreColor);
    ch[QStringLiteral("FontMode")] = c.settings.fontMode;
    o[QStringLiteral("ChimeiCtl")] = ch;

    QJsonObject f1;
    f1[QStringLiteral("Left")] = LeftTwips();
    f1[QStringLiteral("Top")] = TopTwips();
    f1[QStringLiteral("Caption")] = windowTitle();
    f1[QStringLiteral("Timer1")] = Timer1().isActive();
    f1[QStringLiteral("blanked")] = model_.blanked;
    // How it is drawn: the chosen zoom, the one shown now, full screen and the LED look.
    f1[QStringLiteral("zoom")] = zoom();
    f1[QStringLiteral("shownZoom")] = shownZoom();
    f1[QStringLiteral("fullScreen")] = fullScreen();
    f1[QStringLiteral("screen")] = screen() ? screen()->name() : QString();
    const QRect shown = boardRect().translated(geometry().topLeft());
    f1[QStringLiteral("board")] = QJsonArray{shown.x(), shown.y(), shown.width(), shown.height()};
    f1[QStringLiteral("led")] = look().on;
    f1[QStringLiteral("ledGlow")] = look().glow;
    f1[QStringLiteral("ledColor")] = look().color;
    o[QStringLiteral("Form1")] = f1;
    return o;
}
