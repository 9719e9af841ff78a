#pragma once
// A companion that records every dialog and message box and answers from a script of
// prepared answers, so no test ever waits on a modal dialog.
#include "Companion.h"

#include <deque>
#include <vector>

class FakeCompanion : public Companion {
  public:
    struct Dlg100Call {
        int16_t keta;
        DigitDialogValues in;
    };
    std::vector<Dlg100Call> dlg100Calls;
    DigitDialogValues dlg100Answer;
    int32_t dlg100Result = 1;
    std::vector<QString> dlg110Texts;
    std::vector<MessageRequest> messages;
    std::deque<MsgResult> answers; // answers to Yes/No questions, Yes when empty

    int32_t Call_dlg100(QWidget*, int16_t keta, DigitDialogValues& values) override {
        dlg100Calls.push_back({keta, values});
        values = dlg100Answer;
        return dlg100Result;
    }
    void Call_dlg110(QWidget*, int32_t, const QString& text) override {
        dlg110Texts.push_back(text);
    }
    MsgResult messageBox(QWidget*, const MessageRequest& msg) override {
        messages.push_back(msg);
        if (msg.buttons != MsgButtons::YesNo)
            return MsgResult::Ok;
        if (answers.empty())
            return MsgResult::Yes;
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }

    std::vector<QString> voiceDialogTitles;
    bool voiceDialog(QWidget*, const QString& title, VoiceDialogValues&) override {
        voiceDialogTitles.push_back(title);
        return false;
    }

    // The fake installed by the test main, cleared for a new test.
    static FakeCompanion& reset() {
        auto& f = static_cast<FakeCompanion&>(Companion::current());
        f = FakeCompanion();
        return f;
    }
};
