#pragma once
// The companion dialogs as real modal Qt dialogs.
#include "ColorCodes.h"
#include "Companion.h"

class QtCompanion : public Companion {
  public:
    int32_t Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) override;
    void Call_dlg110(QWidget* owner, int32_t kind, const QString& text) override;
    MsgResult messageBox(QWidget* owner, const MessageRequest& msg) override;
    QString Qv3FileDlg(QWidget* owner, const QStringList& filters, const QString& title) override;
    QString Qv3FolderDlg(QWidget* owner, const QString& prompt,
                         const QString& startFolder) override;
    bool Qv3ChooseColor(QWidget* owner, int32_t& colour, CustomColors& custom) override;
    bool Call_dlg111(QWidget* owner, SystemTime& date) override;
    void openFolder(const QString& folder) override;
    bool voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) override;
};
