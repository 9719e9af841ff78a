#include "QtCompanion.h"

#include "VoiceDialog.h"

#include "Dlg100.h"

#include <QMessageBox>
#include <QPushButton>

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
    QMessageBox box(icon, msg.title.isEmpty() ? appTitle() : msg.title, msg.text,
                    QMessageBox::NoButton, owner);
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
