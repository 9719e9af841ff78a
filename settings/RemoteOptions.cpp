#include "RemoteOptions.h"

#include <QSettings>

namespace remoteoptions {

QString pathBeside(const QString& settingsPath) {
    QString base = settingsPath;
    if (base.endsWith(QLatin1String(".in4")))
        base.chop(4);
    return base + QStringLiteral(".remote");
}

void load(const QString& path, Options& o) {
    const QSettings s(path, QSettings::IniFormat);
    o.RemoteControl =
        s.value(QStringLiteral("remote/enabled"), o.RemoteControl != 0).toBool() ? 1 : 0;
    o.RemoteLan = s.value(QStringLiteral("remote/lan"), o.RemoteLan != 0).toBool() ? 1 : 0;
    const int m = s.value(QStringLiteral("follow/announceDistanceM"), o.AnnounceDistanceM).toInt();
    if (m >= 10 && m <= 5000)
        o.AnnounceDistanceM = m;
}

bool save(const QString& path, const Options& o) {
    QSettings s(path, QSettings::IniFormat);
    s.setValue(QStringLiteral("remote/enabled"), o.RemoteControl != 0);
    s.setValue(QStringLiteral("remote/lan"), o.RemoteLan != 0);
    s.setValue(QStringLiteral("follow/announceDistanceM"), o.AnnounceDistanceM);
    s.sync();
    return s.status() == QSettings::NoError;
}

} // namespace remoteoptions
