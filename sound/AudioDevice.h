#pragma once
// The sound card: one SDL output device opened once, pulling the mixer from SDL's audio
// thread. Without a usable device (no audio server, CI), or with SDL_AUDIODRIVER=dummy, a
// thread of our own consumes the mix in real time into nothing (driver "dummy"), so waits
// last as long as the sound. The device is paused while everything is silent, unless a
// recording needs the silence too.
#include "Mixer.h"
#include "SimClock.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class WavRecorder;

class AudioDevice : public QObject {
    Q_OBJECT
  public:
    explicit AudioDevice(Mixer& mixer, QObject* parent = nullptr);
    ~AudioDevice() override;

    bool open();
    // Virtual time: no device; each span the clock moves is mixed at once, on this
    // thread, exactly as many frames as the span lasts (driver "virtual").
    bool openVirtual(SimClock& clock);
    void close();
    QString driver() const { return driver_; }
    bool paused() const { return paused_; }
    // Records everything the mixer plays into a 16-bit WAV until close().
    bool recordTo(const QString& path);
    // Hands everything the mixer plays to `listener` (audio thread) and keeps the device
    // running through silences, so the listener's sound is continuous; empty to end.
    void setListener(std::function<void(const float*, int)> listener);

  private:
    void wake();
    void pauseIfIdle();
    void updateTap();
    void runSilent();

    Mixer& mixer_;
    uint32_t device_ = 0;
    QString driver_;
    bool paused_ = true;
    QTimer idle_;
    std::thread silent_;
    std::atomic<bool> silentRunning_{false};
    std::atomic<bool> silentPaused_{true};
    std::unique_ptr<WavRecorder> recorder_;
    std::function<void(const float*, int)> listener_;
    int64_t virtualFrames_ = 0;
    std::vector<float> virtualBuffer_;
};
