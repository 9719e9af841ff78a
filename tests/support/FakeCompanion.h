#pragma once
// A companion that records every dialog and message box and answers from a script of
// prepared answers, so no test ever waits on a modal dialog.
#include "ColorCodes.h"
#include "Companion.h"
#include "QtPrinters.h"

#include <QDate>
#include <QImage>
#include <QStringList>
#include <deque>
#include <optional>
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

    // Picker answers, taken in order; a picker with none left is cancelled.
    std::deque<QString> fileAnswers, folderAnswers;
    std::deque<int32_t> colorAnswers;
    std::deque<QDate> dateAnswers;
    QStringList pickerLog;
    QStringList opened;
    QString Qv3FileDlg(QWidget*, const QStringList& filters, const QString& title) override {
        pickerLog << QStringLiteral("file ") + title + QLatin1Char(' ') +
                         filters.join(QLatin1Char('|'));
        return take(fileAnswers);
    }
    QStringList folderStarts; // where each folder chooser opened
    QString Qv3FolderDlg(QWidget*, const QString& prompt, const QString& start) override {
        pickerLog << QStringLiteral("folder ") + prompt;
        folderStarts << start;
        return take(folderAnswers);
    }
    bool Qv3ChooseColor(QWidget*, int32_t& colour, CustomColors&) override {
        pickerLog << QStringLiteral("color %1").arg(colour);
        if (colorAnswers.empty())
            return false;
        colour = colorAnswers.front();
        colorAnswers.pop_front();
        return true;
    }
    bool Call_dlg111(QWidget*, SystemTime& d) override {
        pickerLog << QStringLiteral("date");
        if (dateAnswers.empty())
            return false;
        const QDate q = dateAnswers.front();
        dateAnswers.pop_front();
        d.wYear = static_cast<int16_t>(q.year());
        d.wMonth = static_cast<int16_t>(q.month());
        d.wDay = static_cast<int16_t>(q.day());
        return true;
    }
    void openFolder(const QString& f) override { opened << f; }
    static QString take(std::deque<QString>& q) {
        if (q.empty())
            return {};
        QString v = q.front();
        q.pop_front();
        return v;
    }

    std::vector<QString> voiceDialogTitles;
    bool voiceDialog(QWidget*, const QString& title, VoiceDialogValues&) override {
        voiceDialogTitles.push_back(title);
        return false;
    }

    // Ticket plug-ins: the real .4SP reader unless a record is given; draw calls recorded.
    std::optional<ticket::PlgInfo> plgInfoAnswer;
    struct DrawCall {
        QString path;
        SeirikenArgs args;
        QSize picture;
    };
    std::vector<DrawCall> drawCalls;
    int32_t QV4_GetPlgInfo(const QString& path, ticket::PlgInfo& info) override {
        if (!plgInfoAnswer)
            return Companion::QV4_GetPlgInfo(path, info);
        info = *plgInfoAnswer;
        return 1;
    }
    void QV4_DrawSeiriken(const QString& path, QImage& picture, SeirikenArgs& args) override {
        drawCalls.push_back({path, args, picture.size()});
        Companion::QV4_DrawSeiriken(path, picture, args);
    }

    // The fake installed by the test main, cleared for a new test.
    static FakeCompanion& reset() {
        auto& f = static_cast<FakeCompanion&>(Companion::current());
        f = FakeCompanion();
        return f;
    }
};
