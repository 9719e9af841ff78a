#pragma once
// Carries out the channel command strings on the mixer: close, open (waveaudio or
// sequencer), stop, play from 0, with or without waiting for the end. Like the original
// multimedia interface it never reports: a command it cannot carry out does nothing.
//
// Opening a file that is not converted yet hands it to a loader thread and returns at
// once; the channel's later commands take effect when it is ready, in their order (a
// play starts the sound then, a stop or close before that wins). A waiting play waits for
// the load and then the sound, the windows painting meanwhile. With the simulator's clock
// given, a waiting play of a sampled sound ends when its length has passed on that clock
// from its start, not when the mixer is next seen to have finished it: the mixer works a
// device period ahead in real time, and seeing its end a period late at each chime would
// put a real run a little further behind a virtual one at every stop.
#include "Mixer.h"
#include "SoundCache.h"
#include "TaskThread.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class MciInterpreter {
  public:
    // Blocks until `done` holds, keeping the windows painting (the UI's local loop).
    using WaitUntil = std::function<void(const std::function<bool()>& done)>;
    MciInterpreter(Mixer& mixer, WaitUntil waitUntil);
    ~MciInterpreter();

    // The simulator's time in milliseconds; without it a waiting play ends when the mixer
    // has finished the sound.
    void setClock(std::function<int64_t()> nowMs) { nowMs_ = std::move(nowMs); }

    void send(const QString& command);
    // Converts these sound files (.wav) on the loader thread ahead of their first play, so
    // that one starts at once too; files converted before, missing or not sampled are
    // passed over.
    void preload(const QStringList& paths);
    // The file an open channel holds, null when it is closed (or still loading).
    QString fileOf(const QString& alias) const;
    // Whether a channel's file is still being loaded.
    bool loading(const QString& alias) const { return loading_.count(alias) != 0; }
    bool anyLoading() const { return !loading_.empty(); }
    SoundCache& cache() { return cache_; }

  private:
    struct Load {
        quint64 ticket = 0;
        QString path;
        bool play = false; // a play arrived meanwhile (and no stop after it)
    };
    // The file behind `ticket`, converted (pcm) or read (midi); neither when it failed.
    void loaded(const QString& alias, quint64 ticket, std::shared_ptr<const Pcm> pcm,
                std::optional<QByteArray> midi);
    void open(const QString& path, bool midi, const QString& alias);
    // Starts a channel's sound and notes when it will have ended, if its length is known.
    void start(const QString& alias);
    // A waiting play's end: the load done and the sound's length passed (or the mixer done
    // with a sound of unknown length, or one stopped).
    bool ended(const QString& alias) const;

    std::map<QString, QString> files_;
    std::map<QString, Load> loading_;
    std::map<QString, size_t> lengths_;   // frames of the sampled sounds open
    std::map<QString, int64_t> endsAtMs_; // when a started sampled sound ends
    std::function<int64_t()> nowMs_;
    quint64 nextTicket_ = 0;
    Mixer& mixer_;
    WaitUntil waitUntil_;
    SoundCache cache_;
    // Finished loads are handed back to the UI thread through this object's queue.
    QObject context_;
    // Last: it stops (and its tasks end) before anything they use goes.
    TaskThread loader_;
};
