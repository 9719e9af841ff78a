#pragma once
// The four sound channels "S1"-"S4" as command strings: every PlaySnd / CloseAllSnd
// becomes the same close/open/play/stop commands the original multimedia interface took,
// handed to a sink (our command interpreter over the mixer, or a test's recorder).
#include "SoundChannels.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class mdlSndAPI : public SoundChannels {
  public:
    using Sink = std::function<void(const QString& command)>;
    // `programBaseName` names the aliases (<base>S1 ...); `sleepMs` stands for the pause
    // after a synchronous play (0 yields once).
    mdlSndAPI(QString programBaseName, Sink sink, std::function<void(int)> sleepMs = {});

    void PlaySnd(const QString& file, Channel channel, bool wait, int pauseMs) override;
    void CloseAllSnd() override;

    QString alias(Channel channel) const { return base_ + channelName(channel); }
    // The most recent commands, oldest first (at most 64).
    QStringList recentCommands() const;

    // Told of every sound a channel starts (file, channel), for other programs to follow.
    std::function<void(Channel, const QString&)> played;

  private:
    void send(const QString& command);

    QString base_;
    Sink sink_;
    std::function<void(int)> sleep_;
    std::deque<QString> recent_;
};
