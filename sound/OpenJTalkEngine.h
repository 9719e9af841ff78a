#pragma once
// The speech engine on Open JTalk: each announcement is cut into short pieces that are
// synthesised one after the other by the open_jtalk program (never on the UI thread) and
// queued on the mixer's speech voice, so the first words sound quickly and the rest
// follows without gaps. Reset kills what is in flight and silences the voice at once.
#include "JTalkVoice.h"
#include "Mixer.h"
#include "Readings.h"
#include "SpeechEngine.h"

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>

class OpenJTalkEngine : public QObject, public SpeechEngine {
    Q_OBJECT
  public:
    static inline const QString kVoiceName = QStringLiteral("speech");

    OpenJTalkEngine(Mixer& mixer, JTalkVoice voice, QObject* parent = nullptr);
    ~OpenJTalkEngine() override;

    bool create() override;
    void speak(const QString& text) override;
    void reset() override;
    int status() override { return 0; }
    bool speaking() const override;
    void settingsDialog(const QString& title) override;

    JTalkVoice& voice() { return voice_; }
    // The folder whose yomi.csv holds the readings (the broadcast data folder).
    std::function<QString()> readingsFolder;
    // Shows the voice dialog; installed by the program.
    std::function<void(const QString& title)> showDialog;
    // The reading the engine will speak for a text (readings applied).
    QString reading(const QString& text);

  private:
    void startNext();
    void finished(QProcess* p, quint64 generation);

    Mixer& mixer_;
    JTalkVoice voice_;
    QStringList pending_;
    QProcess* running_ = nullptr;
    quint64 generation_ = 0;
    QString readingsPath_;
    qint64 readingsStamp_ = -1;
    Readings readings_;
};
