#pragma once
// One FluidSynth synthesizer with one General MIDI bank shared by every channel: each
// channel's file plays on its own block of 16 MIDI channels, so channels never collide
// and the bank is loaded once.
#include <QByteArray>
#include <QString>
#include <array>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

class MidiSynth {
  public:
    static constexpr int kSlots = 6;
    static constexpr double kGain = 1.3;
    // Loads the bank; ok() is false when it could not be loaded.
    MidiSynth(const QString& soundFont, int rate);
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;
    bool ok() const { return ok_; }

    // Starts `smf` from its beginning on `slot`, replacing what played there.
    bool start(int slot, const QByteArray& smf);
    void stop(int slot);
    bool playing(int slot) const;
    bool anyPlaying() const;
    // Adds the synthesizer's output to interleaved stereo `out`.
    void mixInto(float* out, int frames);

    // A channel's player and the file it reads; public for the event hook only.
    struct Slot {
        _fluid_synth_t* synth = nullptr;
        int index = 0;
        _fluid_player_t* player = nullptr;
        QByteArray data;
    };

  private:
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    std::array<Slot, kSlots> slots_{};
    bool ok_ = false;
};
