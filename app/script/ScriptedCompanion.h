#pragma once
// The companion for scripted runs: the per-digit dialog takes the answer the script
// gave; unattended, every message box is written to standard error as one JSON line
// and answered with its default button instead of waiting for a person.
#include "ColorCodes.h"
#include "Companion.h"

#include <QStringList>
#include <deque>
#include <utility>
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
    // While a network client's command runs: no window opens for it. A message box takes
    // its default answer and its text is kept for the client's answer; pickers and
    // dialogs are cancelled.
    void setGuest(bool on) { guest_ = on; }
    QStringList takeGuestMessages() { return std::exchange(guestMessages_, {}); }

    int32_t Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) override;
    void Call_dlg110(QWidget* owner, int32_t kind, const QString& text) override;
    MsgResult messageBox(QWidget* owner, const MessageRequest& msg) override;
    bool voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) override;
    QString Qv3FileDlg(QWidget* owner, const QStringList& filters, const QString& title) override;
    QString Qv3FolderDlg(QWidget* owner, const QString& prompt,
                         const QString& startFolder) override;
    bool Qv3ChooseColor(QWidget* owner, int32_t& colour, CustomColors& custom) override;
    bool Call_dlg111(QWidget* owner, SystemTime& date) override;
    void openFolder(const QString& folder) override;

    // The script's answer for the next picker: "file PATH", "folder PATH", "color N",
    // "date YYYY/MM/DD" or "cancel".
    void queuePickerAnswer(QString kind, QString value) {
        answers_.push_back({std::move(kind), std::move(value)});
    }

  private:
    struct PickerAnswer {
        QString kind, value;
    };
    // The queued answer for a picker of `kind`: set when one was queued (empty = cancel),
    // nothing when the person should answer.
    std::optional<QString> answerFor(const QString& kind);
    std::deque<PickerAnswer> answers_;
    std::unique_ptr<Companion> interactive_;
    bool unattended_;
    bool yesNext_ = false;
    bool guest_ = false;
    QStringList guestMessages_;
    std::optional<DigitAnswer> digitAnswer_;
};
