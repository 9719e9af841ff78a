#pragma once
// Carries out the channel command strings on the mixer: close, open (waveaudio or
// sequencer), stop, play from 0, with or without waiting for the end. Like the original
// multimedia interface it never reports: a command it cannot carry out does nothing.
#include "Mixer.h"

#include <QString>
#include <functional>
#include <map>

class MciInterpreter {
  public:
    // Blocks until `done` holds, keeping the windows painting (the UI's local loop).
    using WaitUntil = std::function<void(const std::function<bool()>& done)>;
    MciInterpreter(Mixer& mixer, WaitUntil waitUntil);

    void send(const QString& command);
    // The file an open channel holds, null when it is closed.
    QString fileOf(const QString& alias) const;

  private:
    std::map<QString, QString> files_;
    Mixer& mixer_;
    WaitUntil waitUntil_;
};
