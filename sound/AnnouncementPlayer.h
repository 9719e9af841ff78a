#pragma once
// The announcement player as the trip drives it: start-up, the route's broadcast list,
// stepping through its lines, and release at quit.
#include <QString>

class AnnouncementPlayer {
  public:
    virtual ~AnnouncementPlayer() = default;
    // Starts the speech engine; true when announcements can be spoken.
    virtual bool InitSpeech() = 0;
    virtual bool SpeechUsable() const = 0;
    // Loads the broadcast list of a route (folder with separator, route file number);
    // false when the file could not be read whole (the group is then disabled).
    virtual bool LoadTape(const QString& folder, const QString& routeNumber) = 0;
    virtual void TapeBack() = 0;
    virtual void TapeNext() = 0;
    virtual void TapeAdjust() = 0;
    virtual void TapeStop() = 0;
    virtual int GetTapePos() const = 0;
    virtual int GetAdvanceFlag(int pos) const = 0;
    virtual int GetTapeCount() const { return 0; }
    // Puts the list after line `pos` (0: before its first line) without saying anything.
    virtual void SetTapePos(int pos) { (void)pos; }
    virtual bool speaking() const { return false; }
    virtual QString lastText() const { return {}; }
    virtual void ReleaseSpeech() = 0;
};

// A player without a speech engine: it reports itself unusable, so the announcement
// group stays disabled under "音合使用不可".
class NoSpeechPlayer : public AnnouncementPlayer {
  public:
    bool InitSpeech() override { return false; }
    bool SpeechUsable() const override { return false; }
    bool LoadTape(const QString&, const QString&) override { return false; }
    void TapeBack() override {}
    void TapeNext() override {}
    void TapeAdjust() override {}
    void TapeStop() override {}
    int GetTapePos() const override { return 0; }
    int GetAdvanceFlag(int) const override { return 0; }
    void ReleaseSpeech() override {}
};
