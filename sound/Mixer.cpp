#include "Mixer.h"

#include "MidiSynth.h"

#include <algorithm>

Mixer::Mixer(QString soundFont) : soundFont_(std::move(soundFont)) {}

Mixer::~Mixer() = default;

int Mixer::slotFor(const QString& voice) {
    auto it = slots_.find(voice);
    if (it != slots_.end())
        return it->second;
    const int slot = static_cast<int>(slots_.size());
    slots_[voice] = slot;
    return slot;
}

MidiSynth* Mixer::synth() {
    if (!synth_ && !synthFailed_) {
        synth_ = std::make_unique<MidiSynth>(soundFont_, kRate);
        if (!synth_->ok()) {
            synth_.reset();
            synthFailed_ = true;
        }
    }
    return synth_.get();
}

bool Mixer::prepareSynth() {
    std::lock_guard loading(synthLoading_);
    {
        std::lock_guard lock(mutex_);
        if (synth_ || synthFailed_)
            return synth_ != nullptr;
    }
    auto made = std::make_unique<MidiSynth>(soundFont_, kRate);
    std::lock_guard lock(mutex_);
    // A MIDI file opened directly meanwhile may have made one: keep that, with its voices.
    if (!synth_ && !synthFailed_) {
        if (made->ok())
            synth_ = std::move(made);
        else
            synthFailed_ = true;
    }
    return synth_ != nullptr;
}

void Mixer::openPcm(const QString& voice, std::shared_ptr<const Pcm> pcm) {
    std::lock_guard lock(mutex_);
    Voice& v = voices_[voice];
    if (v.midiSlot >= 0 && synth_)
        synth_->stop(v.midiSlot);
    v = Voice{};
    v.pcm = std::move(pcm);
}

bool Mixer::openMidi(const QString& voice, QByteArray smf) {
    std::lock_guard lock(mutex_);
    if (!synth())
        return false;
    const int slot = slotFor(voice);
    if (slot >= MidiSynth::kSlots)
        return false;
    Voice& v = voices_[voice];
    synth_->stop(slot);
    v = Voice{};
    v.midi = std::move(smf);
    v.midiSlot = slot;
    return true;
}

void Mixer::play(const QString& voice) {
    {
        std::lock_guard lock(mutex_);
        auto it = voices_.find(voice);
        if (it == voices_.end())
            return;
        Voice& v = it->second;
        v.pos = 0;
        if (v.pcm)
            v.active = v.pcm->frames() > 0;
        else if (v.midiSlot >= 0 && synth_)
            v.active = synth_->start(v.midiSlot, v.midi);
        if (!v.active)
            return;
    }
    if (onPlay)
        onPlay();
}

void Mixer::stop(const QString& voice) {
    std::lock_guard lock(mutex_);
    auto it = voices_.find(voice);
    if (it == voices_.end())
        return;
    it->second.active = false;
    it->second.audibleUntil = {};
    it->second.queue.clear();
    ended(voice, it->second, rendered_.load());
    if (it->second.midiSlot >= 0 && synth_)
        synth_->stop(it->second.midiSlot);
}

void Mixer::close(const QString& voice) {
    std::lock_guard lock(mutex_);
    auto it = voices_.find(voice);
    if (it == voices_.end())
        return;
    if (it->second.midiSlot >= 0 && synth_)
        synth_->stop(it->second.midiSlot);
    ended(voice, it->second, rendered_.load());
    voices_.erase(it);
}

void Mixer::enqueue(const QString& voice, std::shared_ptr<const Pcm> pcm) {
    if (!pcm || pcm->frames() == 0)
        return;
    {
        std::lock_guard lock(mutex_);
        Voice& v = voices_[voice];
        if (v.active || !v.queue.empty()) {
            v.queue.push_back(std::move(pcm));
            return;
        }
        v.pcm = std::move(pcm);
        v.pos = 0;
        v.active = true;
    }
    if (onPlay)
        onPlay();
}

bool Mixer::busy(const QString& voice) const {
    std::lock_guard lock(mutex_);
    auto it = voices_.find(voice);
    return it != voices_.end() && (sounding(it->second) || !it->second.queue.empty());
}

bool Mixer::isOpen(const QString& voice) const {
    std::lock_guard lock(mutex_);
    return voices_.count(voice) != 0;
}

bool Mixer::sounding(const Voice& v) const {
    if (v.midiSlot >= 0)
        return v.active && synth_ && synth_->playing(v.midiSlot);
    return v.active || (deviceLatency_ && std::chrono::steady_clock::now() < v.audibleUntil);
}

bool Mixer::playing(const QString& voice) const {
    std::lock_guard lock(mutex_);
    auto it = voices_.find(voice);
    return it != voices_.end() && sounding(it->second);
}

bool Mixer::anyPlaying() const {
    std::lock_guard lock(mutex_);
    for (const auto& [name, v] : voices_)
        if (sounding(v))
            return true;
    return false;
}

QString Mixer::typeOf(const QString& voice) const {
    std::lock_guard lock(mutex_);
    auto it = voices_.find(voice);
    if (it == voices_.end())
        return {};
    return it->second.midiSlot >= 0 ? QStringLiteral("sequencer") : QStringLiteral("waveaudio");
}

void Mixer::setEdges(std::function<void(const QString&, bool, int64_t)> edges) {
    std::lock_guard lock(mutex_);
    edges_ = std::move(edges);
}

void Mixer::ended(const QString& name, Voice& v, int64_t frame) {
    if (!v.sounded)
        return;
    v.sounded = false;
    if (edges_)
        edges_(name, false, frame);
}

void Mixer::setTap(std::function<void(const float*, int)> tap) {
    std::lock_guard lock(mutex_);
    tap_ = std::move(tap);
}

void Mixer::render(float* out, int frames) {
    std::lock_guard lock(mutex_);
    std::fill(out, out + 2 * frames, 0.0f);
    for (auto& [name, v] : voices_) {
        size_t at = 0; // frames of this buffer already filled by this voice
        if (v.active && v.pcm && !v.sounded) {
            v.sounded = true;
            if (edges_)
                edges_(name, true, rendered_.load());
        }
        while (v.active && v.pcm && at < static_cast<size_t>(frames)) {
            const size_t total = v.pcm->frames();
            const size_t n = std::min<size_t>(static_cast<size_t>(frames) - at, total - v.pos);
            const float* src = v.pcm->samples.data() + 2 * v.pos;
            for (size_t i = 0; i < 2 * n; ++i)
                out[2 * at + i] += src[i];
            v.pos += n;
            at += n;
            if (v.pos < total)
                break;
            if (!v.queue.empty()) {
                // The next queued piece follows in the same buffer: no gap.
                v.pcm = std::move(v.queue.front());
                v.queue.erase(v.queue.begin());
                v.pos = 0;
                continue;
            }
            v.active = false;
            ended(name, v, rendered_.load() + static_cast<int64_t>(at));
            // This buffer is heard from now on: the end sounds after its last sample, and a
            // device holds about one more period queued before it.
            const double seconds = static_cast<double>(at + static_cast<size_t>(frames)) / kRate;
            v.audibleUntil = std::chrono::steady_clock::now() +
                             std::chrono::microseconds(static_cast<int64_t>(seconds * 1e6));
        }
    }
    if (synth_)
        synth_->mixInto(out, frames);
    // Several loud channels together must not wrap: soft-limit, then clip.
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    if (tap_)
        tap_(out, frames);
    rendered_ += frames;
}
