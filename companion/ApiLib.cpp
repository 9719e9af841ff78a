#include "ApiLib.h"

#include <sys/utsname.h>

namespace ApiLib {

QString GetOsInfo() {
    utsname u{};
    if (uname(&u) != 0)
        return QStringLiteral("Linux");
    return QString::fromLocal8Bit(u.sysname) + QLatin1Char(' ') + QString::fromLocal8Bit(u.release);
}

bool isLegacyDisplaySystem() {
    return false;
}

QChar pathSeparator() {
    return QLatin1Char('/');
}

QString withTrailingSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(pathSeparator()))
        return folder;
    return folder + pathSeparator();
}

QString gothicFamily() {
    return QStringLiteral("IPAGothic");
}
QString minchoFamily() {
    return QStringLiteral("IPAMincho");
}
QString pGothicFamily() {
    return QStringLiteral("IPAPGothic");
}

} // namespace ApiLib
