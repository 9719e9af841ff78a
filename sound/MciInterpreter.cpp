#include "MciInterpreter.h"

#include "SoundFiles.h"

#include <QRegularExpression>

MciInterpreter::MciInterpreter(Mixer& mixer, WaitUntil waitUntil)
    : mixer_(mixer), waitUntil_(std::move(waitUntil)) {}

void MciInterpreter::send(const QString& command) {
    static const QRegularExpression open(QString::fromLatin1(
        R"re(^open "([^"]*)" type (waveaudio|sequencer) alias (\S+)( wait)?$)re"));
    static const QRegularExpression play(QString::fromLatin1(R"(^play (\S+) from 0( wait)?$)"));
    static const QRegularExpression single(QString::fromLatin1(R"(^(close|stop) (\S+)$)"));

    if (const auto m = open.match(command); m.hasMatch()) {
        const QString alias = m.captured(3);
        bool opened = false;
        if (m.captured(2) == QLatin1String("waveaudio")) {
            if (auto pcm = soundfiles::loadWav(m.captured(1))) {
                mixer_.openPcm(alias, std::move(pcm));
                opened = true;
            }
        } else if (auto smf = soundfiles::loadMidi(m.captured(1))) {
            opened = mixer_.openMidi(alias, std::move(*smf));
        }
        if (opened)
            files_[alias] = m.captured(1);
        return;
    }
    if (const auto m = play.match(command); m.hasMatch()) {
        const QString alias = m.captured(1);
        mixer_.play(alias);
        if (!m.captured(2).isEmpty() && waitUntil_)
            waitUntil_([this, alias] { return !mixer_.playing(alias); });
        return;
    }
    if (const auto m = single.match(command); m.hasMatch()) {
        if (m.captured(1) == QLatin1String("close")) {
            mixer_.close(m.captured(2));
            files_.erase(m.captured(2));
        } else
            mixer_.stop(m.captured(2));
    }
}

QString MciInterpreter::fileOf(const QString& alias) const {
    auto it = files_.find(alias);
    return it == files_.end() ? QString() : it->second;
}
