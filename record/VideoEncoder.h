#pragma once
// Writes a video file with FFmpeg's libraries, chosen by the file's extension: H.264 + AAC
// in MP4 (fragmented while recording), VP9 + Opus in WebM (with alpha when asked), or
// ProRes 4444 with alpha + 16-bit PCM in QuickTime (.mov, what video editors take). Frames are RGB
// images at a constant frame rate, sound is interleaved stereo float; each stream's time comes from
// its own count, so the two stay together exactly as long as the caller feeds them from one clock.
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

class VideoEncoder {
  public:
    struct Settings {
        QString path;
        int width = 0; // even
        int height = 0;
        int fps = 30;
        int sampleRate = 44100; // of the sound handed in
        // WebM and MOV keep the pictures' alpha (frames are straight, not premultiplied).
        bool alpha = false;
        // An export: an MP4 with its index at the front (what editors open best) rather
        // than fragments that survive a crash.
        bool forExport = false;
    };

    VideoEncoder();
    ~VideoEncoder(); // finishes the file when still open
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Opens the file and both encoders; false with `error()` set when it cannot.
    bool open(const Settings& s);
    // Frame number `index` (its time is index / fps), already at the output size. An index
    // at or before the last one written is ignored.
    bool addFrame(const QImage& frame, int64_t index);
    // Interleaved stereo float samples following the ones before.
    bool addAudio(const float* stereo, int frames);
    // Flushes the encoders and closes the file; the encoders' errors after open() are
    // reported here too.
    bool finish();

    bool isOpen() const;
    const QString& error() const { return error_; }
    // Whether the build of FFmpeg here can write `path`'s format.
    static bool canWrite(const QString& path, QString* why = nullptr);

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    QString error_;
};
