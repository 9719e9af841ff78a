#pragma once
// Reading the user's sound files for the mixer: any WAV that libsndfile decodes (PCM
// 8-32 bit, float, IMA/MS ADPCM, mu-law, A-law) converted to stereo float at the mixer's
// rate, and standard MIDI files checked and kept as bytes. Anything else, or anything
// too long to hold in memory, is refused: the channel then plays nothing.
#include "Mixer.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace soundfiles {

// Sounds longer than this are refused rather than decoded into memory.
inline constexpr int kMaxSeconds = 600;
inline constexpr long long kMaxSamples = 64LL * 1024 * 1024; // 256 MB of float samples
inline constexpr qint64 kMaxMidiBytes = 4 * 1024 * 1024;

// A decoded file before conversion: interleaved stereo float at the file's own rate.
struct Decoded {
    std::vector<float> stereo;
    int rate = 0;
    size_t frames() const { return stereo.size() / 2; }
};

std::shared_ptr<const Pcm> loadWav(const QString& path);
// The same from bytes in memory (the fuzz target and tests use it).
std::shared_ptr<const Pcm> decodeWav(const QByteArray& bytes);
// Decoding only, at the file's rate: speech is trimmed before it is converted.
std::optional<Decoded> decodeWavNative(const QByteArray& bytes);

std::optional<QByteArray> loadMidi(const QString& path);
// Whether the bytes start as a standard MIDI file with at least one track.
bool looksLikeMidi(const QByteArray& bytes);

// The sound with its leading silence cut to `leadMs` and its trailing silence to
// `tailMs` (silence: below about -50 dBFS). Synthesised speech pads every piece with
// long silences that would otherwise delay it and gap the pieces.
std::shared_ptr<const Pcm> trimSilence(const Pcm& pcm, int leadMs, int tailMs);
Decoded trimSilence(const Decoded& sound, int leadMs, int tailMs);

// Interleaved float frames of any channel count at `rate` to stereo at the mixer's rate
// (resampled by libswresample).
std::vector<float> toMixerFormat(const std::vector<float>& frames, int channels, int rate);
std::shared_ptr<const Pcm> toMixer(const Decoded& sound);

} // namespace soundfiles
