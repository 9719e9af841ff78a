#include "MidiSynth.h"

#include <algorithm>
#include <fluidsynth.h>

namespace {

// Moves each event of a channel's file onto that channel's own block of 16 MIDI channels.
int slotEvent(void* data, fluid_midi_event_t* event) {
    auto* slot = static_cast<MidiSynth::Slot*>(data);
    const int type = fluid_midi_event_get_type(event);
    // System messages (tempo, SysEx) carry no channel.
    if (type < 0xF0)
        fluid_midi_event_set_channel(event, fluid_midi_event_get_channel(event) + 16 * slot->index);
    return fluid_synth_handle_midi_event(slot->synth, event);
}

} // namespace

MidiSynth::MidiSynth(const QString& soundFont, int rate) {
    settings_ = new_fluid_settings();
    if (!settings_)
        return;
    fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    fluid_settings_setint(settings_, "synth.midi-channels", 16 * kSlots);
    fluid_settings_setint(settings_, "synth.reverb.active", 1);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    // FluidSynth's own default (0.2) leaves a General MIDI piano note at velocity 100
    // peaking near 0.05, some 14 dB under a player at unity gain and under the WAV
    // chimes beside it; at 1.3 it peaks near 0.3. The mixer still clips what adds up.
    fluid_settings_setnum(settings_, "synth.gain", kGain);
    synth_ = new_fluid_synth(settings_);
    if (!synth_)
        return;
    ok_ = !soundFont.isEmpty() &&
          fluid_synth_sfload(synth_, soundFont.toLocal8Bit().constData(), 1) != FLUID_FAILED;
    for (int i = 0; i < kSlots; ++i) {
        slots_[static_cast<size_t>(i)].synth = synth_;
        slots_[static_cast<size_t>(i)].index = i;
    }
}

MidiSynth::~MidiSynth() {
    for (int i = 0; i < kSlots; ++i)
        stop(i);
    if (synth_)
        delete_fluid_synth(synth_);
    if (settings_)
        delete_fluid_settings(settings_);
}

bool MidiSynth::start(int slot, const QByteArray& smf) {
    if (!ok_ || slot < 0 || slot >= kSlots)
        return false;
    stop(slot);
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.data = smf;
    s.player = new_fluid_player(synth_);
    if (!s.player)
        return false;
    fluid_player_set_playback_callback(s.player, slotEvent, &s);
    if (fluid_player_add_mem(s.player, s.data.constData(), static_cast<size_t>(s.data.size())) !=
            FLUID_OK ||
        fluid_player_play(s.player) != FLUID_OK) {
        stop(slot);
        return false;
    }
    return true;
}

void MidiSynth::stop(int slot) {
    if (slot < 0 || slot >= kSlots)
        return;
    Slot& s = slots_[static_cast<size_t>(slot)];
    if (s.player) {
        fluid_player_stop(s.player);
        delete_fluid_player(s.player);
        s.player = nullptr;
    }
    // A cut sound ends at once, releases and all.
    for (int c = 0; c < 16 && synth_; ++c)
        fluid_synth_all_sounds_off(synth_, 16 * slot + c);
}

bool MidiSynth::playing(int slot) const {
    if (slot < 0 || slot >= kSlots)
        return false;
    const Slot& s = slots_[static_cast<size_t>(slot)];
    return s.player && fluid_player_get_status(s.player) == FLUID_PLAYER_PLAYING;
}

bool MidiSynth::anyPlaying() const {
    for (int i = 0; i < kSlots; ++i)
        if (playing(i))
            return true;
    return false;
}

void MidiSynth::mixInto(float* out, int frames) {
    if (!synth_)
        return;
    constexpr int kChunk = 512;
    float left[kChunk], right[kChunk];
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunk, frames - done);
        fluid_synth_write_float(synth_, n, left, 0, 1, right, 0, 1);
        for (int i = 0; i < n; ++i) {
            out[2 * (done + i)] += left[i];
            out[2 * (done + i) + 1] += right[i];
        }
        done += n;
    }
}
