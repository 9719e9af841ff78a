#pragma once
// Caption tracks for an exported video: cues with a start and an end on the simulator's
// clock, written as SubRip (.srt) and WebVTT (.vtt) for a video editor to show or
// translate.
#include <QString>
#include <cstdint>
#include <vector>

struct Cue {
    int64_t startMs = 0;
    int64_t endMs = 0;
    QString text;
};

class CaptionTrack {
  public:
    explicit CaptionTrack(QString name) : name_(std::move(name)) {}
    // A cue opens with its text at `ms`; the one open before it ends there.
    void open(int64_t ms, const QString& text);
    // The open cue ends at `ms` (nothing when none is open).
    void close(int64_t ms);
    const std::vector<Cue>& cues() const { return cues_; }
    const QString& name() const { return name_; }

    QString srt() const;
    QString vtt() const;

  private:
    QString name_;
    std::vector<Cue> cues_;
    bool isOpen_ = false;
};

// 01:02:03,045 (SubRip) or 01:02:03.045 (WebVTT).
QString captionTime(int64_t ms, QChar decimal);
