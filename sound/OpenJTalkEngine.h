#pragma once
// The speech engine on Open JTalk: each announcement is cut into short pieces that are
// synthesised by the open_jtalk program (two at a time, so the next piece is made while
// one plays), trimmed and converted on a thread of our own, and queued in their order on
// the mixer's speech voice: the first words sound quickly and the rest follows without
// gaps. Reset forgets what is in flight and silences the voice at once.
#include "JTalkVoice.h"
#include "Mixer.h"
#include "Readings.h"
#include "SpeechEngine.h"
#include "TaskThread.h"

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

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
    // Pieces of the announcement are still being made (not all on the mixer yet): a
    // virtual clock waits for them, so the voice sounds without the gaps real time has.
    bool synthesizing() const {
        return !pending_.isEmpty() || !running_.empty() || converting_ > 0 || !ready_.empty();
    }
    void settingsDialog(const QString& title) override;
    // Synthesises the first piece of `text` ahead, kept until it is spoken or the voice's
    // settings change.
    void prepare(const QString& text) override;
    bool prepared(const QString& text);

    JTalkVoice& voice() { return voice_; }
    // The folder whose yomi.csv holds the readings (the broadcast data folder).
    std::function<QString()> readingsFolder;
    // Shows the voice dialog; installed by the program.
    std::function<void(const QString& title)> showDialog;
    // The reading the engine will speak for a text (readings applied).
    QString reading(const QString& text);

    // Open JTalk processes at once: one piece ahead of the one being made.
    static constexpr int kProcesses = 2;
    // Starts processes ahead (as many as the first pieces of an announcement take) that
    // load the dictionary and the voice and then wait for their text, so the next
    // announcement's first words cost only their synthesis. Called when a route with a
    // broadcast list is set, and again after each announcement.
    void warmUp();
    int spareCount() const { return static_cast<int>(spares_.size()); }

  private:
    void startMore();
    QStringList arguments() const;
    // A spare started with today's settings, or a process started now.
    QProcess* takeProcess();
    void dropSpares();
    // The key a prepared first piece is kept under: the voice's settings and the piece.
    QString preparedKey(const QString& piece) const;
    void enqueueReady();
    void finished(QProcess* p, int seq, quint64 generation);
    // A piece converted (null when it could not be), queued in the order of the pieces.
    void converted(int seq, quint64 generation, std::shared_ptr<const Pcm> pcm);

    Mixer& mixer_;
    JTalkVoice voice_;
    QStringList pending_;
    std::vector<QProcess*> running_;
    std::vector<QProcess*> spares_; // loaded and waiting for their text
    QStringList spareArguments_;
    std::map<QString, std::shared_ptr<const Pcm>> prepared_;
    QString preparing_;
    int nextSeq_ = 0;                                 // of the next piece handed to a process
    int nextQueued_ = 0;                              // of the next piece the voice is waiting for
    int converting_ = 0;                              // pieces on the conversion thread
    std::map<int, std::shared_ptr<const Pcm>> ready_; // converted out of order
    quint64 generation_ = 0;
    QString readingsPath_;
    qint64 readingsStamp_ = -1;
    Readings readings_;
    QObject context_; // converted pieces come back through its queue
    TaskThread converter_;
};
