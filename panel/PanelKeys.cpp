#include "PanelKeys.h"

#include "frmCtl.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {

// PgDn and PgUp are what a presenter's clicker sends, so a trainer can step the board
// with one in hand; the function keys sit apart from everything that takes typing.
const std::vector<PanelKey> kKeys = {
    {Qt::Key_PageDown, "データ送り"}, {Qt::Key_PageUp, "データ戻し"}, {Qt::Key_F5, "戻し"},
    {Qt::Key_F6, "送り"},            {Qt::Key_F7, "■"},            {Qt::Key_F8, "表示消去"},
    {Qt::Key_F9, "自動"},            {Qt::Key_F4, "バックライト"},
};

QString keyName(Qt::Key k) {
    return QKeySequence(k).toString(QKeySequence::NativeText);
}

// The button a key presses; the backlight key presses the next of the three.
QAbstractButton* target(frmCtl& p, const PanelKey& k) {
    const QString b = QString::fromUtf8(k.button);
    if (b == QStringLiteral("データ送り"))
        return p.Command2[1];
    if (b == QStringLiteral("データ戻し"))
        return p.Command2[0];
    if (b == QStringLiteral("戻し"))
        return p.cmdTapeBack;
    if (b == QStringLiteral("送り"))
        return p.cmdTapeNext;
    if (b == QStringLiteral("■"))
        return p.cmdTapeStop;
    if (b == QStringLiteral("表示消去"))
        return p.Check1;
    if (b == QStringLiteral("自動"))
        return p.cmdAuto;
    // The next of the three after the one the panel state holds.
    const auto now = static_cast<size_t>(p.presentation().backlight);
    return p.Option4[(now + 1) % p.Option4.size()];
}

} // namespace

const std::vector<PanelKey>& panelKeys() {
    return kKeys;
}

QString panelKeysText() {
    QStringList parts;
    for (const PanelKey& k : kKeys)
        parts << QStringLiteral("%1 %2").arg(keyName(k.key), QString::fromUtf8(k.button));
    return parts.join(QStringLiteral(", "));
}

void installPanelKeys(frmCtl& panel, const std::vector<QWidget*>& others) {
    std::vector<QWidget*> windows{&panel};
    windows.insert(windows.end(), others.begin(), others.end());
    for (const PanelKey& k : kKeys) {
        for (QWidget* w : windows) {
            auto* s = new QShortcut(QKeySequence(k.key), w);
            s->setContext(Qt::WindowShortcut);
            // A click, so a disabled button (or one in a greyed group) refuses the key as
            // it refuses the mouse.
            QObject::connect(s, &QShortcut::activated, &panel,
                             [&panel, k] { target(panel, k)->click(); });
        }
        QAbstractButton* b = target(panel, k);
        if (QString::fromUtf8(k.button) == QStringLiteral("バックライト")) {
            for (QRadioButton* r : panel.Option4)
                r->setToolTip(QStringLiteral("キー %1: バックライトを切り替えます").arg(keyName(k.key)));
            continue;
        }
        const QString tip = b->toolTip();
        b->setToolTip((tip.isEmpty() ? QString() : tip + QLatin1Char('\n')) +
                      QStringLiteral("キー: %1").arg(keyName(k.key)));
    }
}
