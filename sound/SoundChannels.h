#pragma once
// The four sound channels "S1"-"S4" as the operation sees them: play a file on a
// channel, optionally waiting for its end, and close them all at quit.
#include <QString>
#include <memory>

class SoundChannels {
  public:
    virtual ~SoundChannels() = default;
    // Plays `file` on the channel `alias`; with `wait` the call returns when the sound
    // has ended (input waits, painting goes on). An empty or missing file plays nothing.
    virtual void PlaySnd(const QString& file, const QString& alias, bool wait, int pauseMs) = 0;
    virtual void CloseAllSnd() = 0;
};
