#include "DemoSounds.h"

#include "LittleEndian.h"

#include <algorithm>
#include <cmath>

namespace demosounds {
namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// A struck bell-like tone: a few partials, a soft attack and an exponential decay.
struct Strike {
    double at;    // seconds from the start
    double freq;  // Hz
    double decay; // seconds to fall by 1/e
    double gain;
};

std::string wav(const std::vector<Strike>& strikes, double seconds) {
    const int n = static_cast<int>(seconds * kRate);
    std::vector<double> mix(static_cast<size_t>(n), 0.0);
    for (const Strike& s : strikes) {
        const int start = static_cast<int>(s.at * kRate);
        for (int i = start; i < n; ++i) {
            const double t = static_cast<double>(i - start) / kRate;
            const double env = std::min(1.0, t / 0.004) * std::exp(-t / s.decay);
            const double w = 2 * kPi * s.freq * t;
            mix[static_cast<size_t>(i)] +=
                s.gain * env * (std::sin(w) + 0.35 * std::sin(2 * w) + 0.12 * std::sin(3 * w));
        }
    }
    le::Writer data;
    for (double v : mix)
        data.i16(static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32000.0)));
    le::Writer w;
    w.bytes("RIFF");
    w.u32(static_cast<uint32_t>(36 + data.data().size()));
    w.bytes("WAVEfmt ");
    w.u32(16);
    w.u16(1); // PCM
    w.u16(1); // mono
    w.u32(kRate);
    w.u32(kRate * 2);
    w.u16(2);
    w.u16(16);
    w.bytes("data");
    w.u32(static_cast<uint32_t>(data.data().size()));
    w.bytes(data.data());
    return w.take();
}

// Big-endian fields and variable-length delta times of a standard MIDI file.
void be32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void varlen(std::string& s, uint32_t v) {
    std::string rev(1, static_cast<char>(v & 0x7F));
    while (v >>= 7)
        rev.push_back(static_cast<char>(0x80 | (v & 0x7F)));
    s.append(rev.rbegin(), rev.rend());
}

std::string tune() {
    // A short departure melody on a music box, 480 ticks a beat at 120 beats a minute.
    const int notes[][2] = {{72, 240}, {76, 240}, {79, 240}, {84, 480}, {79, 240},
                            {81, 240}, {79, 240}, {76, 480}, {72, 720}};
    std::string trk;
    auto ev = [&](uint32_t delta, std::initializer_list<int> bytes) {
        varlen(trk, delta);
        for (int b : bytes)
            trk.push_back(static_cast<char>(b));
    };
    ev(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}); // tempo 500000 us a beat
    ev(0, {0xC0, 10});                           // music box
    for (const auto& n : notes) {
        ev(0, {0x90, n[0], 96});
        ev(static_cast<uint32_t>(n[1]), {0x80, n[0], 0});
    }
    ev(0, {0xFF, 0x2F, 0x00});
    std::string smf = "MThd";
    be32(smf, 6);
    smf += std::string("\x00\x00\x00\x01\x01\xE0", 6); // format 0, one track, 480 ticks
    smf += "MTrk";
    be32(smf, static_cast<uint32_t>(trk.size()));
    return smf + trk;
}

} // namespace

std::vector<std::pair<std::string, std::string>> all() {
    return {
        {"route_set.wav", wav({{0.0, 880, 0.25, 0.45}, {0.42, 698.5, 0.55, 0.45}}, 1.6)},
        {"key.wav", wav({{0.0, 2200, 0.012, 0.5}}, 0.06)},
        {"step.wav", wav({{0.0, 659.3, 0.35, 0.5}}, 0.9)},
        {"chime.wav",
         wav({{0.0, 523.3, 0.3, 0.4}, {0.3, 659.3, 0.3, 0.4}, {0.6, 784.0, 0.5, 0.4}}, 1.6)},
        {"departure.mid", tune()},
    };
}

} // namespace demosounds
