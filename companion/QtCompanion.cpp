#include "QtCompanion.h"

#include "ColorCodes.h"
#include "VoiceDialog.h"

#include <QCalendarWidget>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Dlg100.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

int32_t QtCompanion::Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) {
    Dlg100 dlg(owner, keta, values);
    const int r = dlg.exec();
    values = dlg.values();
    return r == QDialog::Accepted ? 1 : 2;
}

void QtCompanion::Call_dlg110(QWidget* owner, int32_t, const QString& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("バージョン情報"), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

MsgResult QtCompanion::messageBox(QWidget* owner, const MessageRequest& msg) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (msg.icon) {
    case MsgIcon::Error:
        icon = QMessageBox::Critical;
        break;
    case MsgIcon::Question:
        icon = QMessageBox::Question;
        break;
    case MsgIcon::Warning:
        icon = QMessageBox::Warning;
        break;
    case MsgIcon::Information:
        icon = QMessageBox::Information;
        break;
    case MsgIcon::None:
        break;
    }
    const QString title = msg.title.isEmpty() ? appTitle() : msg.title;
    QMessageBox box(icon, title, msg.text, QMessageBox::NoButton, owner);
    // A short question makes a narrow box, and the window manager then cuts its title
    // (「ミナモ… 了確認」): keep the box wide enough for the title and the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = QFontMetrics(QApplication::font()).horizontalAdvance(title) * 5 / 4;
        grid->addItem(
            new QSpacerItem(titleWidth + 120, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (msg.buttons == MsgButtons::YesNo) {
        box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        auto* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == no ? MsgResult::No : MsgResult::Yes;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MsgResult::Ok;
}

bool QtCompanion::voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) {
    VoiceDialog d(owner, title, values);
    if (d.exec() != QDialog::Accepted)
        return false;
    values = d.values();
    return true;
}

QString QtCompanion::Qv3FileDlg(QWidget* owner, const QStringList& filters, const QString& title) {
    // Windows pairs "description" / "*.ext" become Qt's "description (*.ext)".
    QStringList qt;
    for (int i = 0; i + 1 < filters.size(); i += 2)
        qt << QStringLiteral("%1 (%2)").arg(
            filters[i], QString(filters[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return QFileDialog::getOpenFileName(owner, title, {}, qt.join(QStringLiteral(";;")));
}

QString QtCompanion::Qv3FolderDlg(QWidget* owner, const QString& prompt,
                                  const QString& startFolder) {
    return QFileDialog::getExistingDirectory(owner, prompt, startFolder);
}

bool QtCompanion::Qv3ChooseColor(QWidget* owner, int32_t& colour, CustomColors& custom) {
    // Qt's dialog has 16 custom slots: the first 16 of the table go in and come back; the
    // 17th is kept as it is.
    for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i)
        QColorDialog::setCustomColor(
            i, QColor::fromRgb(argbFromBgr(static_cast<uint32_t>(custom[static_cast<size_t>(i)]))));
    const QColor c =
        QColorDialog::getColor(QColor::fromRgb(argbFromBgr(static_cast<uint32_t>(colour))), owner);
    for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i)
        custom[static_cast<size_t>(i)] =
            static_cast<int32_t>(bgrFromArgb(QColorDialog::customColor(i).rgb()));
    if (!c.isValid())
        return false;
    colour = static_cast<int32_t>(bgrFromArgb(c.rgb()));
    return true;
}

bool QtCompanion::Call_dlg111(QWidget* owner, SystemTime& date) {
    QDialog d(owner);
    d.setWindowTitle(QStringLiteral("日付選択"));
    auto* cal = new QCalendarWidget(&d);
    cal->setGridVisible(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    QObject::connect(cal, &QCalendarWidget::activated, &d, &QDialog::accept);
    auto* l = new QVBoxLayout(&d);
    l->addWidget(cal);
    l->addWidget(buttons);
    if (d.exec() != QDialog::Accepted)
        return false;
    const QDate picked = cal->selectedDate();
    date.wYear = static_cast<int16_t>(picked.year());
    date.wMonth = static_cast<int16_t>(picked.month());
    date.wDay = static_cast<int16_t>(picked.day());
    date.wDayOfWeek = static_cast<int16_t>(picked.dayOfWeek() % 7);
    return true;
}

void QtCompanion::openFolder(const QString& folder) {
    if (!folder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
