#include "FontSubstitutes.h"

#include "ApiLib.h"

#include <QFont>
#include <QStringList>

namespace ApiLib {

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
