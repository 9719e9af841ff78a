#include "MciInterpreter.h"

#include "SoundFiles.h"

#include <QRegularExpression>

MciInterpreter::MciInterpreter(Mixer& mixer, WaitUntil waitUntil)
    : mixer_(mixer), waitUntil_(std::move(waitUntil)) {}

MciInterpreter::~MciInterpreter() = default;

void MciInterpreter::open(const QString& path, bool midi, const QString& alias) {
    const auto key = SoundCache::keyOf(path);
    if (!key)
        return; // not a file: nothing opens
    if (!midi) {
        if (auto pcm = cache_.find(*key)) {
            // Converted before: open at once, as the original's "open ... wait" did.
            lengths_[alias] = pcm->frames();
            mixer_.openPcm(alias, std::move(pcm));
            files_[alias] = path;
            return;
        }
    }
    const quint64 ticket = ++nextTicket_;
    loading_[alias] = Load{ticket, path, false};
    loader_.post([this, alias, ticket, path, midi, key = *key] {
        std::shared_ptr<const Pcm> pcm;
        std::optional<QByteArray> smf;
        if (midi) {
            smf = soundfiles::loadMidi(path);
            if (smf && !mixer_.prepareSynth())
                smf.reset();
        } else if (!(pcm = cache_.find(key))) { // a preload ahead of it may have done it
            pcm = soundfiles::loadWav(path);
            cache_.put(key, pcm);
        }
        QMetaObject::invokeMethod(
            &context_,
            [this, alias, ticket, pcm = std::move(pcm), smf = std::move(smf)] {
                loaded(alias, ticket, pcm, smf);
            },
            Qt::QueuedConnection);
    });
}

void MciInterpreter::preload(const QStringList& paths) {
    for (const QString& path : paths) {
        const auto key = SoundCache::keyOf(path);
        if (!key || !path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive) || cache_.find(*key))
            continue;
        loader_.post([this, path, key = *key] {
            if (!cache_.find(key))
                cache_.put(key, soundfiles::loadWav(path));
        });
    }
}

void MciInterpreter::loaded(const QString& alias, quint64 ticket, std::shared_ptr<const Pcm> pcm,
                            std::optional<QByteArray> midi) {
    auto it = loading_.find(alias);
    if (it == loading_.end() || it->second.ticket != ticket)
        return; // closed or replaced while it loaded
    const Load load = it->second;
    loading_.erase(it);
    bool opened = false;
    if (pcm) {
        lengths_[alias] = pcm->frames();
        mixer_.openPcm(alias, std::move(pcm));
        opened = true;
    } else if (midi) {
        lengths_.erase(alias); // a synthesised piece's length is the mixer's to find
        opened = mixer_.openMidi(alias, std::move(*midi));
    }
    if (!opened)
        return;
    files_[alias] = load.path;
    if (load.play)
        start(alias);
}

void MciInterpreter::start(const QString& alias) {
    mixer_.play(alias);
    endsAtMs_.erase(alias);
    const auto length = lengths_.find(alias);
    if (nowMs_ && length != lengths_.end())
        endsAtMs_[alias] =
            nowMs_() +
            static_cast<int64_t>((length->second * 1000 + Mixer::kRate - 1) / Mixer::kRate);
}

bool MciInterpreter::ended(const QString& alias) const {
    if (loading(alias))
        return false;
    if (const auto end = endsAtMs_.find(alias); end != endsAtMs_.end())
        return nowMs_() >= end->second;
    return !mixer_.playing(alias);
}

void MciInterpreter::send(const QString& command) {
    static const QRegularExpression open(QString::fromLatin1(
        R"re(^open "([^"]*)" type (waveaudio|sequencer) alias (\S+)( wait)?$)re"));
    static const QRegularExpression play(QString::fromLatin1(R"(^play (\S+) from 0( wait)?$)"));
    static const QRegularExpression single(QString::fromLatin1(R"(^(close|stop) (\S+)$)"));

    if (const auto m = open.match(command); m.hasMatch()) {
        this->open(m.captured(1), m.captured(2) == QLatin1String("sequencer"), m.captured(3));
        return;
    }
    if (const auto m = play.match(command); m.hasMatch()) {
        const QString alias = m.captured(1);
        if (auto it = loading_.find(alias); it != loading_.end())
            it->second.play = true;
        else
            start(alias);
        if (!m.captured(2).isEmpty() && waitUntil_)
            waitUntil_([this, alias] { return ended(alias); });
        return;
    }
    if (const auto m = single.match(command); m.hasMatch()) {
        const QString alias = m.captured(2);
        endsAtMs_.erase(alias); // a sound stopped has ended, whatever its length
        if (m.captured(1) == QLatin1String("close")) {
            loading_.erase(alias);
            mixer_.close(alias);
            files_.erase(alias);
            lengths_.erase(alias);
        } else {
            if (auto it = loading_.find(alias); it != loading_.end())
                it->second.play = false;
            mixer_.stop(alias);
        }
    }
}

QString MciInterpreter::fileOf(const QString& alias) const {
    auto it = files_.find(alias);
    return it == files_.end() ? QString() : it->second;
}
