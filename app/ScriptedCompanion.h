#pragma once
// The companion for scripted runs: the per-digit dialog takes the answer the script
// gave; unattended, every message box is written to standard error as one JSON line
// and answered with its default button instead of waiting for a person.
#include "Companion.h"

#include <optional>

class ScriptedCompanion : public Companion {
  public:
    ScriptedCompanion(std::unique_ptr<Companion> interactive, bool unattended);

    struct DigitAnswer {
        DigitDialogValues values;
        int32_t result;
    };
    void queueDigitAnswer(DigitAnswer a) { digitAnswer_ = a; }
    // The next Yes/No question is answered Yes (the script's quit).
    void answerYesNext() { yesNext_ = true; }

    int32_t Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) override;
    void Call_dlg110(QWidget* owner, int32_t kind, const QString& text) override;
    MsgResult messageBox(QWidget* owner, const MessageRequest& msg) override;
    bool voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) override;

  private:
    std::unique_ptr<Companion> interactive_;
    bool unattended_;
    bool yesNext_ = false;
    std::optional<DigitAnswer> digitAnswer_;
};
