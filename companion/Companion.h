#pragma once
// The seam to everything that waits for a person: the companion dialogs and message
// boxes. The program installs the real Qt implementation; tests and unattended scripts
// install implementations that answer at once.
#include "ColorCodes.h"
#include "SeirikenArgs.h"
#include "TicketPlugin.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QComboBox;
class QImage;
class QPlainTextEdit;
class QWidget;

enum class MsgIcon { None, Error, Question, Warning, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgResult { Ok, Yes, No };

struct MessageRequest {
    QString title;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

// Values the per-digit settings dialog edits.
struct DigitDialogValues {
    int16_t zeroMode = 0;
    int16_t shift = 0;
    int16_t fillZero = 0;
};

// What the voice dialog edits; `trial` speaks a sample line with the values shown.
struct VoiceDialogValues {
    double speed = 1.0;  // 0.5-2.0
    double pitch = 0.0;  // half-tones, -12..12
    double volume = 0.0; // dB, -20..10
    QString voiceFile;
    QStringList voices; // voice files to offer
    std::function<void(const VoiceDialogValues&)> trial;
};

// A date as the Windows system-time record holds it (only year, month, day are used).
struct SystemTime {
    int16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    int16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

class Companion {
  public:
    virtual ~Companion() = default;

    // Per-digit settings dialog: edits the three values for an element of `keta`
    // positions and returns 1 when the operator confirmed.
    virtual int32_t Call_dlg100(QWidget* owner, int16_t keta, DigitDialogValues& values) = 0;
    // Information dialog showing `text` (the version text).
    virtual void Call_dlg110(QWidget* owner, int32_t kind, const QString& text) = 0;
    virtual MsgResult messageBox(QWidget* owner, const MessageRequest& msg) = 0;
    // File chooser: `filters` are Windows-style pairs (description, pattern), e.g.
    // {"Waveサウンド(*.wav)", "*.wav"}; the chosen path, empty when cancelled.
    virtual QString Qv3FileDlg(QWidget* owner, const QStringList& filters,
                               const QString& title) = 0;
    // Folder chooser with a prompt, opening at `startFolder` (absolute; empty: the
    // chooser's own choice); empty when cancelled.
    virtual QString Qv3FolderDlg(QWidget* owner, const QString& prompt,
                                 const QString& startFolder) = 0;
    // Colour chooser starting at `colour` (0xBBGGRR), with the custom colour table kept by
    // the caller; true and `colour` changed when a colour was chosen.
    virtual bool Qv3ChooseColor(QWidget* owner, int32_t& colour, CustomColors& custom) = 0;
    // Date chooser; true and year, month, day set when a date was chosen.
    virtual bool Call_dlg111(QWidget* owner, SystemTime& date) = 0;
    // Opens a folder in the desktop's file manager; failures are silent.
    virtual void openFolder(const QString& folder) = 0;
    // The voice settings dialog titled `title`, modal to `owner`; true when confirmed.
    virtual bool voiceDialog(QWidget* owner, const QString& title, VoiceDialogValues& values) = 0;

    // Ticket plug-ins. Each call receives the plug-in's path again; the defaults read our
    // .4SP files (see docs/ticket-plugins.md) and never run anything from them.
    // Non-zero and `info` filled when the file is a valid plug-in.
    virtual int32_t QV4_GetPlgInfo(const QString& path, ticket::PlgInfo& info);
    virtual void QV4_SetPlgComment(const QString& path, QPlainTextEdit* box);
    virtual void QV4_SetCorpAddList(const QString& path, QComboBox* list);
    // The plug-in's companies, for the panel state's list.
    virtual QStringList QV4_CorpList(const QString& path);
    // Draws the ticket into `picture`; a path that is not a valid plug-in draws nothing.
    virtual void QV4_DrawSeiriken(const QString& path, QImage& picture, SeirikenArgs& args);

    // The implementation in use; never null once the program or a test has started.
    static Companion& current();
    // Installs `c` and returns the one it replaces.
    static std::unique_ptr<Companion> install(std::unique_ptr<Companion> c);
};

// The application title that message boxes without their own title carry.
QString appTitle();
