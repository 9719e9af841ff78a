#pragma once
// The four sound channels "S1"-"S4" as the operation sees them: play a file on a
// channel, optionally waiting for its end, and close them all at quit.
#include <QString>
#include <array>
#include <memory>

// The four channels: S1 the route-setting sounds, S2 steps and chimes, S3 the chime before
// an announcement, S4 free.
enum class Channel { S1, S2, S3, S4 };
inline constexpr std::array<Channel, 4> kAllChannels{Channel::S1, Channel::S2, Channel::S3,
                                                     Channel::S4};
// "S1" ... "S4", as the channels' aliases end.
inline QString channelName(Channel c) {
    return QStringLiteral("S") + QString::number(static_cast<int>(c) + 1);
}

class SoundChannels {
  public:
    virtual ~SoundChannels() = default;
    // Plays `file` on `channel`; with `wait` the call returns when the sound
    // has ended (input waits, painting goes on). An empty or missing file plays nothing.
    virtual void PlaySnd(const QString& file, Channel channel, bool wait, int pauseMs) = 0;
    virtual void CloseAllSnd() = 0;
};
