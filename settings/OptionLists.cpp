#include "OptionLists.h"

#include "Limits.h"

namespace optionlists {

QStringList numberingModes() {
    // The fixed part of each entry, and whether its numbers end at 32 (else 31).
    const struct {
        const char16_t* fixed;
        int last;
    } modes[] = {
        {u"1,2,3...", 32},           {u"0,1,2...", 31},           {u"「なし」、1,2...", 31},
        {u"「なし」、2,3...", 32},   {u"「無券」、1,2...", 31},   {u"「無券」、2,3...", 32},
        {u"「券なし」、1,2...", 31}, {u"「券なし」、2,3...", 32}, {u"「券無し」、1,2...", 31},
        {u"「券無し」、2,3...", 32}, {u"(無地)、1,2...", 31},     {u"(無地)、2,3...", 32},
    };
    QStringList out;
    for (const auto& m : modes)
        out << QString::fromUtf16(m.fixed) + QLatin1Char(' ') + QString::number(m.last);
    out[0] += QStringLiteral(" （既定の表示）");
    return out;
}

namespace {
QStringList numbers(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QString::number(i);
    return out;
}
} // namespace

QStringList cells() {
    return numbers(limits::kFareCells);
}

QStringList columns() {
    return numbers(limits::kDataColumns);
}

QStringList chimeiFonts() {
    return {QStringLiteral("ゴシック体"), QStringLiteral("明朝体"),
            QStringLiteral("漢字はゴシック、それ以外は明朝"),
            QStringLiteral("漢字は明朝、それ以外はゴシック"),
            QStringLiteral("英数字はゴシック、それ以外は明朝")};
}

QStringList tsugiwaDisplays() {
    return {QStringLiteral("「次は」表示なし"), QStringLiteral("「次は」を表示（「は」が小さい）"),
            QStringLiteral("「次は」を表示（同じ大きさ）")};
}

QStringList tsugiwaFonts() {
    return {QStringLiteral("すべてゴシック体"), QStringLiteral("「は」だけ明朝体"),
            QStringLiteral("すべて明朝体"), QStringLiteral("「は」だけゴシック体")};
}

QStringList ledColors() {
    return {QStringLiteral("設定の色"), QStringLiteral("アンバー"), QStringLiteral("オレンジ")};
}

} // namespace optionlists
