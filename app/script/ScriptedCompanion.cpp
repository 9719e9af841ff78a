#include "ScriptedCompanion.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {
QString iconName(MsgIcon i) {
    switch (i) {
    case MsgIcon::Error:
        return QStringLiteral("error");
    case MsgIcon::Question:
        return QStringLiteral("question");
    case MsgIcon::Warning:
        return QStringLiteral("warning");
    case MsgIcon::Information:
        return QStringLiteral("information");
    case MsgIcon::None:
        break;
    }
    return QStringLiteral("none");
}

void report(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) {
    QJsonObject m;
    m[QStringLiteral("title")] = title;
    m[QStringLiteral("text")] = text;
    m[QStringLiteral("icon")] = iconName(icon);
    m[QStringLiteral("buttons")] =
        buttons == MsgButtons::YesNo ? QStringLiteral("yesno") : QStringLiteral("ok");
    const QByteArray line =
        QJsonDocument(QJsonObject{{QStringLiteral("message"), m}}).toJson(QJsonDocument::Compact);
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}
} // namespace

ScriptedCompanion::ScriptedCompanion(std::unique_ptr<Companion> interactive, bool unattended)
    : interactive_(std::move(interactive)), unattended_(unattended) {}

int32_t ScriptedCompanion::Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) {
    if (guest_)
        return 2; // cancelled
    if (digitAnswer_) {
        values = digitAnswer_->values;
        const int32_t r = digitAnswer_->result;
        digitAnswer_.reset();
        return r;
    }
    if (unattended_)
        return 2; // cancelled
    return interactive_->Call_dlg100(owner, keta, values);
}

void ScriptedCompanion::Call_dlg110(QWidget* owner, int32_t kind, const QString& text) {
    if (guest_)
        return;
    if (unattended_) {
        report(QStringLiteral("バージョン情報"), text, MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    interactive_->Call_dlg110(owner, kind, text);
}

MsgResult ScriptedCompanion::messageBox(QWidget* owner, const MessageRequest& msg) {
    const bool forcedYes = msg.buttons == MsgButtons::YesNo && yesNext_;
    if (forcedYes)
        yesNext_ = false;
    if (guest_ && !forcedYes) {
        guestMessages_ << msg.text;
        return msg.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
    if (!unattended_ && !forcedYes)
        return interactive_->messageBox(owner, msg);
    if (unattended_)
        report(msg.title.isEmpty() ? appTitle() : msg.title, msg.text, msg.icon, msg.buttons);
    // The default button: Yes for a question, OK otherwise.
    return msg.buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

bool ScriptedCompanion::voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& v) {
    if (guest_)
        return false;
    if (!unattended_)
        return interactive_->voiceDialog(owner, title, v);
    // Unattended: the dialog is reported and closed without a change.
    QJsonObject d;
    d[QStringLiteral("title")] = title;
    d[QStringLiteral("speed")] = v.speed;
    d[QStringLiteral("pitch")] = v.pitch;
    d[QStringLiteral("volume")] = v.volume;
    d[QStringLiteral("voice")] = v.voiceFile;
    const QByteArray line =
        QJsonDocument(QJsonObject{{QStringLiteral("dialog"), d}}).toJson(QJsonDocument::Compact);
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    return false;
}

std::optional<QString> ScriptedCompanion::answerFor(const QString& kind) {
    if (guest_)
        return QString(); // a client never answers a picker: cancelled
    if (!answers_.empty()) {
        const PickerAnswer a = answers_.front();
        answers_.pop_front();
        return a.kind == kind ? a.value : QString();
    }
    if (unattended_)
        return QString(); // nobody to ask: cancelled
    return std::nullopt;
}

QString ScriptedCompanion::Qv3FileDlg(QWidget* owner, const QStringList& filters,
                                      const QString& title) {
    if (const auto a = answerFor(QStringLiteral("file")))
        return *a;
    return interactive_->Qv3FileDlg(owner, filters, title);
}

QString ScriptedCompanion::Qv3FolderDlg(QWidget* owner, const QString& prompt,
                                        const QString& startFolder) {
    if (const auto a = answerFor(QStringLiteral("folder")))
        return *a;
    return interactive_->Qv3FolderDlg(owner, prompt, startFolder);
}

bool ScriptedCompanion::Qv3ChooseColor(QWidget* owner, int32_t& colour, CustomColors& custom) {
    if (const auto a = answerFor(QStringLiteral("color"))) {
        bool ok = false;
        const int32_t v = a->toInt(&ok);
        if (ok)
            colour = v;
        return ok;
    }
    return interactive_->Qv3ChooseColor(owner, colour, custom);
}

bool ScriptedCompanion::Call_dlg111(QWidget* owner, SystemTime& date) {
    if (const auto a = answerFor(QStringLiteral("date"))) {
        const QDate d = QDate::fromString(*a, QStringLiteral("yyyy/MM/dd"));
        if (!d.isValid())
            return false;
        date.wYear = static_cast<int16_t>(d.year());
        date.wMonth = static_cast<int16_t>(d.month());
        date.wDay = static_cast<int16_t>(d.day());
        return true;
    }
    return interactive_->Call_dlg111(owner, date);
}

void ScriptedCompanion::openFolder(const QString& folder) {
    if (guest_)
        return;
    if (unattended_) {
        std::fprintf(stderr, "%s\n",
                     QJsonDocument(QJsonObject{{QStringLiteral("open"), folder}})
                         .toJson(QJsonDocument::Compact)
                         .constData());
        return;
    }
    interactive_->openFolder(folder);
}
