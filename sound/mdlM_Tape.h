#pragma once
// The announcement player: the route's list of announcements, a position in it, and
// 送り / 戻し that play the chime and speak the line through the speech engine.
#include "AnnouncementPlayer.h"
#include "BroadcastFile.h"
#include <algorithm>

#include <functional>
#include <vector>

class SoundChannels;
class SpeechEngine;
struct Options;

class mdlM_Tape : public AnnouncementPlayer {
  public:
    // `osName` is the platform's name (the companion's GetOsInfo).
    mdlM_Tape(SpeechEngine& engine, SoundChannels& sound, const Options& options,
              std::function<QString()> osName);

    bool InitSpeech() override;
    bool SpeechUsable() const override { return usable_; }
    bool LoadTape(const QString& folder, const QString& routeNumber) override;
    void TapeNext() override;
    void TapeBack() override;
    void TapeAdjust() override;
    void TapeStop() override;
    void SpeakEntry(int pos);
    int GetTapePos() const override { return pos_; }
    void SetTapePos(int pos) override { pos_ = std::clamp(pos, 0, GetTapeCount()); }
    int GetAdvanceFlag(int pos) const override;
    int GetSoundFlag(int pos) const;
    int GetTapeCount() const override { return static_cast<int>(list_.size()); }
    bool speaking() const override;
    QString lastText() const override { return lastText_; }
    void ReleaseSpeech() override;

    const std::vector<TapeEntry>& entries() const { return list_; }
    // Runs what follows a chime played to its end once it has ended (the program's
    // queue); none: at once.
    std::function<void(std::function<void()>)> after;

  private:
    bool vista() const;
    void speakAfterChime(int pos);
    // The chime for a flag 1-3, empty for any other.
    QString soundByFlag(int flag) const;

    SpeechEngine* engine_;
    SoundChannels& sound_;
    const Options& options_;
    std::function<QString()> osName_;
    std::vector<TapeEntry> list_;
    int pos_ = 0;
    bool usable_ = false;
    QString lastText_;
};
