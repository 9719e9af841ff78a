#include "SoundFiles.h"
#include "RegularFile.h"

#include "LittleEndian.h"
#include "Resampler.h"

#include <QFile>
#include <cmath>
#include <cstring>
#include <sndfile.h>

namespace soundfiles {

namespace {

// A byte range read through libsndfile's virtual I/O.
struct MemoryFile {
    const QByteArray* bytes;
    sf_count_t pos = 0;
};

sf_count_t vLength(void* u) {
    return static_cast<MemoryFile*>(u)->bytes->size();
}
sf_count_t vSeek(sf_count_t offset, int whence, void* u) {
    auto* m = static_cast<MemoryFile*>(u);
    const sf_count_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? vLength(u) : 0;
    m->pos = std::clamp<sf_count_t>(base + offset, 0, vLength(u));
    return m->pos;
}
sf_count_t vRead(void* ptr, sf_count_t count, void* u) {
    auto* m = static_cast<MemoryFile*>(u);
    const sf_count_t n = std::clamp<sf_count_t>(vLength(u) - m->pos, 0, count);
    std::memcpy(ptr, m->bytes->constData() + m->pos, static_cast<size_t>(n));
    m->pos += n;
    return n;
}
sf_count_t vWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t vTell(void* u) {
    return static_cast<MemoryFile*>(u)->pos;
}

// Down to at most two channels ourselves (SDL would mix more channels into the pair).
std::vector<float> toStereo(const std::vector<float>& in, int channels) {
    const size_t frames = in.size() / static_cast<size_t>(channels);
    std::vector<float> stereo(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = in[i * static_cast<size_t>(channels)];
        stereo[2 * i + 1] = in[i * static_cast<size_t>(channels) + (channels > 1 ? 1 : 0)];
    }
    return stereo;
}

// Decodes an open file and closes it.
std::optional<Decoded> decode(SNDFILE* f, const SF_INFO& info) {
    if (!f)
        return std::nullopt;
    std::optional<Decoded> out;
    const bool sane = info.channels >= 1 && info.channels <= 64 && info.samplerate >= 1000 &&
                      info.samplerate <= 384000 && info.frames >= 0 &&
                      info.frames <= static_cast<sf_count_t>(kMaxSeconds) * info.samplerate &&
                      // Also bounded in samples: ten minutes of many channels at a high rate
                      // would still be gigabytes.
                      info.frames * info.channels <= kMaxSamples;
    if (sane) {
        std::vector<float> all(static_cast<size_t>(info.frames) *
                               static_cast<size_t>(info.channels));
        const sf_count_t got = sf_readf_float(f, all.data(), info.frames);
        // A file cut short plays what it holds.
        all.resize(static_cast<size_t>(std::max<sf_count_t>(got, 0)) *
                   static_cast<size_t>(info.channels));
        out = Decoded{toStereo(all, info.channels), info.samplerate};
    }
    sf_close(f);
    return out;
}

std::shared_ptr<const Pcm> toPcm(const std::optional<Decoded>& d) {
    return d ? toMixer(*d) : nullptr;
}

} // namespace

std::vector<float> toMixerFormat(const std::vector<float>& in, int channels, int rate) {
    const std::vector<float> stereo = toStereo(in, channels);
    return resampler::stereo(stereo.data(), stereo.size() / 2, rate, Mixer::kRate);
}

std::shared_ptr<const Pcm> toMixer(const Decoded& sound) {
    auto pcm = std::make_shared<Pcm>();
    pcm->samples = resampler::stereo(sound.stereo.data(), sound.frames(), sound.rate, Mixer::kRate);
    return pcm;
}

namespace {
// The frames [from, to) of `stereo` that keep `leadMs` before the first audible frame and
// `tailMs` after the last one; empty when nothing is audible.
std::pair<size_t, size_t> audibleSpan(const std::vector<float>& stereo, int rate, int leadMs,
                                      int tailMs) {
    constexpr float kQuiet = 0.003f;
    const size_t frames = stereo.size() / 2;
    size_t first = 0, last = 0;
    bool any = false;
    for (size_t i = 0; i < frames; ++i)
        if (std::abs(stereo[2 * i]) > kQuiet || std::abs(stereo[2 * i + 1]) > kQuiet) {
            if (!any)
                first = i;
            last = i;
            any = true;
        }
    if (!any)
        return {0, 0};
    const size_t lead = static_cast<size_t>(leadMs) * static_cast<size_t>(rate) / 1000;
    const size_t tail = static_cast<size_t>(tailMs) * static_cast<size_t>(rate) / 1000;
    return {first > lead ? first - lead : 0, std::min(frames, last + 1 + tail)};
}

std::vector<float> cut(const std::vector<float>& stereo, std::pair<size_t, size_t> span) {
    return {stereo.begin() + static_cast<std::ptrdiff_t>(2 * span.first),
            stereo.begin() + static_cast<std::ptrdiff_t>(2 * span.second)};
}
} // namespace

std::shared_ptr<const Pcm> trimSilence(const Pcm& pcm, int leadMs, int tailMs) {
    auto out = std::make_shared<Pcm>();
    out->samples = cut(pcm.samples, audibleSpan(pcm.samples, Mixer::kRate, leadMs, tailMs));
    return out;
}

Decoded trimSilence(const Decoded& sound, int leadMs, int tailMs) {
    return {cut(sound.stereo, audibleSpan(sound.stereo, sound.rate, leadMs, tailMs)), sound.rate};
}

std::shared_ptr<const Pcm> loadWav(const QString& path) {
    if (files::notRegularFile(path))
        return nullptr;
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    return toPcm(decode(f, info));
}

std::optional<Decoded> decodeWavNative(const QByteArray& bytes) {
    SF_VIRTUAL_IO io{vLength, vSeek, vRead, vWrite, vTell};
    MemoryFile m{&bytes};
    SF_INFO info{};
    SNDFILE* f = sf_open_virtual(&io, SFM_READ, &info, &m);
    return decode(f, info);
}

std::shared_ptr<const Pcm> decodeWav(const QByteArray& bytes) {
    return toPcm(decodeWavNative(bytes));
}

bool looksLikeMidi(const QByteArray& bytes) {
    le::Reader r(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    const auto magic = r.bytes(4);
    if (!magic || *magic != "MThd")
        return false;
    // Header length and the track count are big-endian: read their bytes directly.
    const auto header = r.bytes(10);
    if (!header)
        return false;
    const auto u8 = [&](int i) { return static_cast<uint8_t>((*header)[static_cast<size_t>(i)]); };
    const uint32_t length = (u8(0) << 24) | (u8(1) << 16) | (u8(2) << 8) | u8(3);
    const int tracks = (u8(6) << 8) | u8(7);
    return length >= 6 && tracks >= 1 && bytes.contains("MTrk");
}

std::optional<QByteArray> loadMidi(const QString& path) {
    QFile f(path);
    if (files::notRegularFile(path) || !f.open(QIODevice::ReadOnly) || f.size() > kMaxMidiBytes)
        return std::nullopt;
    QByteArray bytes = f.readAll();
    if (!looksLikeMidi(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace soundfiles
