#pragma once
// The companion dialogs as real modal Qt dialogs.
#include "Companion.h"

class QtCompanion : public Companion {
  public:
    int32_t Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) override;
    void Call_dlg110(QWidget* owner, int32_t kind, const QString& text) override;
    MsgResult messageBox(QWidget* owner, const MessageRequest& msg) override;
    bool voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) override;
};
