#pragma once
// A video recording of the board with the mixer's sound: the board's own picture (as the
// snapshot has it, rounded corners and all) is taken whenever the recorded sound reaches
// the next frame's time, so it works headless and stays in step with the sound.
#include "Recorder.h"

#include "SimClock.h"
#include <QObject>
#include <functional>
#include <memory>

class AudioDevice;

class RecordingSession : public QObject {
    Q_OBJECT
  public:
    RecordingSession(AudioDevice& audio, std::function<QImage()> picture,
                     QObject* parent = nullptr);
    ~RecordingSession() override;

    // Starts recording into `path` (.mp4 or .webm) at `zoom` times the board's size;
    // false with `error()` set when the file cannot be made.
    bool start(const QString& path, int zoom, int sampleRate);
    // Finishes the file; false when it could not be written whole.
    bool stop();
    bool recording() const { return recorder_ && recorder_->running(); }

    QString file() const { return file_; }
    int64_t frames() const { return recorder_ ? recorder_->frames() : 0; }
    int64_t dropped() const { return recorder_ ? recorder_->dropped() : 0; }
    int64_t repeated() const { return recorder_ ? recorder_->repeated() : 0; }
    double seconds() const { return recorder_ ? recorder_->seconds() : 0.0; }
    QString error() const { return error_; }

  Q_SIGNALS:
    void changed(); // started or stopped

  private:
    void tick();
    QImage picture() const;

    AudioDevice& audio_;
    std::function<QImage()> picture_;
    std::unique_ptr<Recorder> recorder_;
    SimTimer timer_;
    int64_t last_ = -1;
    QSize frameSize_;
    QString file_;
    QString error_;
};
