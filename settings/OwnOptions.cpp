#include "OwnOptions.h"

#include <QSettings>

namespace ownoptions {
namespace {

bool flag(const QSettings& s, const char* key, int16_t now) {
    return s.value(QString::fromLatin1(key), now != 0).toBool();
}

template <typename T> void ranged(const QSettings& s, const char* key, T& field, int lo, int hi) {
    bool ok = false;
    const int v = s.value(QString::fromLatin1(key), field).toInt(&ok);
    if (ok && v >= lo && v <= hi)
        field = static_cast<T>(v);
}

} // namespace

QString pathBeside(const QString& settingsPath, const QString& suffix) {
    QString base = settingsPath;
    if (base.endsWith(QLatin1String(".in4")))
        base.chop(4);
    return base + suffix;
}

void load(const QString& settingsPath, Options& o) {
    const QSettings remote(pathBeside(settingsPath, QStringLiteral(".remote")),
                           QSettings::IniFormat);
    o.RemoteControl = flag(remote, "remote/enabled", o.RemoteControl) ? 1 : 0;
    o.RemoteLan = flag(remote, "remote/lan", o.RemoteLan) ? 1 : 0;
    o.RemoteQuit = flag(remote, "remote/quit", o.RemoteQuit) ? 1 : 0;
    ranged(remote, "follow/announceDistanceM", o.AnnounceDistanceM, 10, 5000);

    const QSettings display(pathBeside(settingsPath, QStringLiteral(".display")),
                            QSettings::IniFormat);
    ranged(display, "board/zoom", o.BoardZoom, 1, 4);
    o.LedDisplay = flag(display, "led/on", o.LedDisplay) ? 1 : 0;
    o.LedGlow = flag(display, "led/glow", o.LedGlow) ? 1 : 0;
    ranged(display, "led/color", o.LedColor, 0, 2);
}

bool save(const QString& settingsPath, const Options& o) {
    QSettings remote(pathBeside(settingsPath, QStringLiteral(".remote")), QSettings::IniFormat);
    remote.setValue(QStringLiteral("remote/enabled"), o.RemoteControl != 0);
    remote.setValue(QStringLiteral("remote/lan"), o.RemoteLan != 0);
    remote.setValue(QStringLiteral("remote/quit"), o.RemoteQuit != 0);
    remote.setValue(QStringLiteral("follow/announceDistanceM"), o.AnnounceDistanceM);
    remote.sync();

    QSettings display(pathBeside(settingsPath, QStringLiteral(".display")), QSettings::IniFormat);
    display.setValue(QStringLiteral("board/zoom"), o.BoardZoom);
    display.setValue(QStringLiteral("led/on"), o.LedDisplay != 0);
    display.setValue(QStringLiteral("led/glow"), o.LedGlow != 0);
    display.setValue(QStringLiteral("led/color"), o.LedColor);
    display.sync();
    return remote.status() == QSettings::NoError && display.status() == QSettings::NoError;
}

} // namespace ownoptions
