#pragma once
// A trip exported as a video on virtual time: frame k is the board's picture at k / fps
// seconds of the simulator's clock, the sound is the mixer's output for the same span, and
// both go to an encoder on a thread of its own with a few frames in flight (the clock
// waits when they are all taken). Beside the video, caption tracks of the announcements
// (from their first to their last spoken sample) and of the stop names as shown.
#include "Captions.h"
#include "ExportFormat.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct Program;
class VideoEncoder;

class VideoExport : public QObject {
    Q_OBJECT
  public:
    VideoExport(Program& program, exportfmt::Options options, QObject* parent = nullptr);
    ~VideoExport() override;

    // Opens the output and starts taking frames from the clock's present moment; false
    // with error() when the output cannot be made.
    bool start();
    // Writes what is left, the captions beside, and closes the files; false with error().
    bool finish();
    // Stops and removes everything written.
    void cancel();
    bool running() const { return running_; }
    const QString& error() const { return error_; }
    int64_t frames() const { return nextFrame_; }
    // Where the export has got to, for a progress line: simulator seconds and frames.
    QString progress() const;
    // The files written beside the video (captions), for the closing report.
    QStringList captionFiles() const;
    // Frames the encoder may hold at once before the clock waits for it.
    static constexpr size_t kInFlight = 8;

  private:
    struct Item {
        QImage frame;
        int64_t index = -1;
        std::vector<float> audio;
    };
    void scheduleFrame();
    void takeFrame();
    void flushAudio();
    QImage picture() const;
    void push(Item item);
    void writerLoop();
    bool writeItem(const Item& item);
    bool openOutput();
    bool closeOutput();
    void watchCaptions();
    void removeOutput();

    Program& p_;
    exportfmt::Options o_;
    QString error_;
    bool running_ = false;
    int64_t startMs_ = 0;
    int64_t nextFrame_ = 0;
    uint64_t gate_ = 0;
    bool madeFolder_ = false;
    std::vector<float> pendingAudio_; // mixed since the last frame, not yet handed over
    CaptionTrack announcements_{QStringLiteral("放送")};
    CaptionTrack stops_{QStringLiteral("停留所名")};
    std::vector<QMetaObject::Connection> connections_;

    // The writer thread and what it shares with the UI thread.
    std::unique_ptr<VideoEncoder> encoder_;
    std::unique_ptr<class WavRecorder> wav_; // the folder's audio.wav
    std::thread writer_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> queue_;
    size_t framesQueued_ = 0;
    bool closing_ = false;
    QString writerError_;
};
