#include "ApiLib.h"

#include "Cp932.h"

#include <QFont>
#include <QStringList>
#include <sys/utsname.h>

namespace ApiLib {

int LenB_ASCII(const QString& text) {
    return static_cast<int>(cp932::encode(text).size());
}

std::string MidB_ASCII(const QString& text, int start, int count) {
    const std::string bytes = cp932::encode(text);
    if (start < 1 || count <= 0 || static_cast<size_t>(start) > bytes.size())
        return {};
    return bytes.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

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

void installFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), {gothicFamily()});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), {minchoFamily()});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), {pGothicFamily()});
    QFont::insertSubstitutions(QStringLiteral("テサリー数字平体"), {pGothicFamily()});
    QFont::insertSubstitutions(QStringLiteral("M_DegitA"), {QStringLiteral("DSEG7 Classic")});
    QFont::insertSubstitutions(QStringLiteral("M_DegitB"), {QStringLiteral("DSEG7 Classic")});
    QFont::insertSubstitutions(QStringLiteral("M_DegitC"), {QStringLiteral("DSEG7 Modern")});
}

} // namespace ApiLib
