#pragma once
// Recording doubles of the sound channels and the announcement player.
#include "AnnouncementPlayer.h"
#include "SoundChannels.h"

#include <QStringList>
#include <vector>

class RecordingSound : public SoundChannels {
  public:
    struct Call {
        QString file, alias;
        bool wait;
        int pause;
    };
    std::vector<Call> calls;
    int closed = 0;
    void PlaySnd(const QString& f, Channel c, bool w, int p) override {
        calls.push_back({f, channelName(c), w, p});
    }
    void CloseAllSnd() override { ++closed; }
};

class RecordingTape : public AnnouncementPlayer {
  public:
    QStringList log;
    bool usable = false;
    int pos = 0;
    int flag = 0;
    bool InitSpeech() override {
        log << QStringLiteral("InitSpeech");
        return usable;
    }
    bool SpeechUsable() const override { return usable; }
    bool loads = true;
    bool LoadTape(const QString& folder, const QString& route) override {
        log << QStringLiteral("LoadTape %1 %2").arg(folder, route);
        return loads;
    }
    void TapeBack() override { log << QStringLiteral("TapeBack"); }
    int count = 0; // lines in the list; TapeNext moves through them
    void TapeNext() override {
        log << QStringLiteral("TapeNext");
        if (pos < count)
            ++pos;
    }
    int GetTapeCount() const override { return count; }
    void TapeAdjust() override { log << QStringLiteral("TapeAdjust"); }
    void TapeStop() override { log << QStringLiteral("TapeStop"); }
    int GetTapePos() const override { return pos; }
    int GetAdvanceFlag(int) const override { return flag; }
    void ReleaseSpeech() override { log << QStringLiteral("ReleaseSpeech"); }
};
