#include "DisplayOptions.h"

#include <QSettings>

namespace displayoptions {

QString pathBeside(const QString& settingsPath) {
    QString base = settingsPath;
    if (base.endsWith(QLatin1String(".in4")))
        base.chop(4);
    return base + QStringLiteral(".display");
}

void load(const QString& path, Options& o) {
    const QSettings s(path, QSettings::IniFormat);
    auto ranged = [&s](const char* key, int16_t& field, int lo, int hi) {
        bool ok = false;
        const int v = s.value(QString::fromLatin1(key), field).toInt(&ok);
        if (ok && v >= lo && v <= hi)
            field = static_cast<int16_t>(v);
    };
    ranged("board/zoom", o.BoardZoom, 1, 4);
    ranged("led/color", o.LedColor, 0, 2);
    o.LedDisplay = s.value(QStringLiteral("led/on"), o.LedDisplay != 0).toBool() ? 1 : 0;
    o.LedGlow = s.value(QStringLiteral("led/glow"), o.LedGlow != 0).toBool() ? 1 : 0;
}

bool save(const QString& path, const Options& o) {
    QSettings s(path, QSettings::IniFormat);
    s.setValue(QStringLiteral("board/zoom"), o.BoardZoom);
    s.setValue(QStringLiteral("led/on"), o.LedDisplay != 0);
    s.setValue(QStringLiteral("led/glow"), o.LedGlow != 0);
    s.setValue(QStringLiteral("led/color"), o.LedColor);
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace displayoptions
