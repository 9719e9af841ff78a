#pragma once
// Records pictures and sound into a video file on a thread of its own. Sound arrives from
// the audio thread and is the clock: the caller asks which frame is due for the sound
// recorded so far and hands that frame in, so picture and sound cannot drift apart. When
// the encoder falls behind, frames are dropped (and counted) instead of stalling anyone.
#include "VideoEncoder.h"

#include <QImage>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class Recorder {
  public:
    struct Settings {
        QString path;
        QSize frameSize; // of the pictures handed in, before the zoom
        int zoom = 1;    // 1-4, nearest neighbour
        int fps = 30;
        int sampleRate = 44100;
        int maxQueuedFrames = 10; // a third of a second at 30 fps
    };

    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens the file and starts the encoding thread; false with `error()` set.
    bool start(const Settings& s);
    // Finishes the file; true when it was written whole.
    bool stop();
    bool running() const { return running_; }

    // Audio thread: the next stretch of interleaved stereo float.
    void addAudio(const float* stereo, int frames);
    // The frame whose time the recorded sound has reached (0 at the start).
    int64_t dueFrame() const;
    // The picture for frame `index`. Frames between the last one handed in and this one
    // repeat the last picture; a frame the encoder is too far behind for is dropped.
    void addFrame(const QImage& picture, int64_t index);

    const Settings& settings() const { return settings_; }
    int64_t frames() const { return frames_; }     // handed to the encoder
    int64_t dropped() const { return dropped_; }   // left out
    int64_t repeated() const { return repeated_; } // the previous picture again
    double seconds() const;                        // of sound recorded
    // Pictures and sound handed in and not yet encoded.
    size_t pending() const;
    QString error() const;

  private:
    struct Job {
        QImage picture; // null for sound
        int64_t index = 0;
        std::vector<float> sound;
    };
    void work();
    void fail(const QString& why);
    void queue(const QImage& picture, int64_t index, bool repeat);
    static constexpr int kRepeatAllowance = 150; // five seconds at 30 fps

    Settings settings_;
    VideoEncoder encoder_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    int queuedFrames_ = 0;
    bool stopping_ = false;
    bool busy_ = false; // a job is being encoded
    std::atomic<bool> running_{false};
    std::atomic<int64_t> audioFrames_{0};
    int64_t lastIndex_ = -1;
    QImage lastPicture_;
    std::atomic<int64_t> frames_{0};
    std::atomic<int64_t> dropped_{0};
    std::atomic<int64_t> repeated_{0};
    QString error_;
};
