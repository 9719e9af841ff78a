#pragma once
// The mixer behind the sound channels: named voices (one per channel alias, one more for
// speech) holding decoded PCM or a MIDI file, mixed in float into stereo at kRate. The
// audio thread pulls render(); the UI thread opens, plays, stops and closes voices.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class MidiSynth;

// Decoded sound, interleaved stereo float at Mixer::kRate.
struct Pcm {
    std::vector<float> samples;
    size_t frames() const { return samples.size() / 2; }
};

class Mixer {
  public:
    static constexpr int kRate = 44100;

    // `soundFont` is the General MIDI bank loaded on the first MIDI play (empty: MIDI
    // stays silent).
    explicit Mixer(QString soundFont = {});
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    void openPcm(const QString& voice, std::shared_ptr<const Pcm> pcm);
    // Keeps a standard MIDI file's bytes; false when the synthesizer cannot be had.
    bool openMidi(const QString& voice, QByteArray smf);
    // Loads the MIDI bank now if it is not loaded yet, without holding up the audio
    // thread (the bank takes a while): call it from a loader thread before openMidi.
    // False when there is no bank.
    bool prepareSynth();
    // Plays an open voice from its start; nothing for a closed one.
    void play(const QString& voice);
    void stop(const QString& voice);
    void close(const QString& voice);
    // A streaming voice (speech): `pcm` plays after what is already queued on `voice`,
    // without a gap, and at once when the voice is silent. stop() also drops the queue.
    void enqueue(const QString& voice, std::shared_ptr<const Pcm> pcm);
    // Whether the voice has anything left to play, queued pieces included.
    bool busy(const QString& voice) const;

    bool isOpen(const QString& voice) const;
    bool playing(const QString& voice) const;
    bool anyPlaying() const;
    // "waveaudio", "sequencer" or empty for a closed voice.
    QString typeOf(const QString& voice) const;

    // Mixes `frames` stereo frames into `out` (overwritten), clipped to [-1, 1], and hands
    // them to the tap (the WAV recorder) when one is set.
    void render(float* out, int frames);
    void setTap(std::function<void(const float*, int)> tap);
    // Frames mixed since the start: where in a recording "now" is.
    int64_t framesRendered() const { return rendered_.load(); }
    // Off when the mix goes nowhere but into files on the simulator's clock (virtual
    // time): a voice ends with its last sample, not when a device would have played it.
    void setDeviceLatency(bool on) { deviceLatency_ = on; }
    // Where each voice's sound begins and ends, in frames mixed since the start (its first
    // sample, and the one after its last or where it was cut off), for captions; called on
    // the thread that mixes, with the mixer locked: it must not call the mixer.
    void setEdges(std::function<void(const QString& voice, bool starts, int64_t frame)> edges);
    // Called on the UI thread whenever a voice starts (the device wakes up).
    std::function<void()> onPlay;

  private:
    struct Voice {
        std::shared_ptr<const Pcm> pcm;
        size_t pos = 0;
        std::vector<std::shared_ptr<const Pcm>> queue; // front first
        QByteArray midi;
        int midiSlot = -1;
        bool active = false;
        bool sounded = false; // its start was reported and its end not yet
        // The last samples are still in the device's buffer until then.
        std::chrono::steady_clock::time_point audibleUntil{};
    };
    bool sounding(const Voice& v) const;
    MidiSynth* synth(); // created on first use, with mutex_ held
    int slotFor(const QString& voice);

    mutable std::mutex mutex_;
    std::map<QString, Voice> voices_;
    std::map<QString, int> slots_;
    QString soundFont_;
    std::unique_ptr<MidiSynth> synth_;
    bool synthFailed_ = false;
    std::mutex synthLoading_; // one bank load at a time, outside mutex_
    std::function<void(const float*, int)> tap_;
    std::function<void(const QString&, bool, int64_t)> edges_;
    void ended(const QString& name, Voice& v, int64_t frame);
    std::vector<float> scratch_;
    std::atomic<int64_t> rendered_{0};
    std::atomic<bool> deviceLatency_{true};
};
