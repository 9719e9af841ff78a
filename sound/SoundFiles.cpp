#include "SoundFiles.h"

#include "LittleEndian.h"

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

// Decodes an open file and closes it.
std::shared_ptr<const Pcm> decode(SNDFILE* f, const SF_INFO& info) {
    if (!f)
        return nullptr;
    std::shared_ptr<Pcm> pcm;
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
        pcm = std::make_shared<Pcm>();
        pcm->samples = toMixerFormat(all, info.channels, info.samplerate);
    }
    sf_close(f);
    return pcm;
}

} // namespace

std::vector<float> toMixerFormat(const std::vector<float>& in, int channels, int rate) {
    const size_t frames = in.size() / static_cast<size_t>(channels);
    if (frames == 0)
        return {};
    // Down to at most two channels ourselves (SDL would mix more channels into the pair).
    std::vector<float> stereo(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = in[i * static_cast<size_t>(channels)];
        stereo[2 * i + 1] = in[i * static_cast<size_t>(channels) + (channels > 1 ? 1 : 0)];
    }
    if (rate == Mixer::kRate)
        return stereo;
    // Band-limited resampling (a Blackman-windowed sinc): linear interpolation would leave
    // images of a chime near the top of the band and alias speech folded down.
    const double step = static_cast<double>(rate) / Mixer::kRate; // input frames per output
    const double cutoff = std::min(1.0, 1.0 / step);
    constexpr int kHalfTaps = 16;
    const double reach = kHalfTaps / cutoff;
    const auto outFrames = static_cast<size_t>(static_cast<double>(frames) / step);
    std::vector<float> out(2 * outFrames);
    constexpr double kPi = 3.14159265358979323846;
    for (size_t i = 0; i < outFrames; ++i) {
        const double center = static_cast<double>(i) * step;
        const auto lo = static_cast<long long>(std::ceil(center - reach));
        const auto hi = static_cast<long long>(std::floor(center + reach));
        double l = 0, r = 0, norm = 0;
        for (long long k = std::max(0LL, lo);
             k <= std::min<long long>(hi, static_cast<long long>(frames) - 1); ++k) {
            const double x = (static_cast<double>(k) - center) * cutoff;
            const double sinc = x == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            const double w = 0.42 + 0.5 * std::cos(kPi * x / kHalfTaps) +
                             0.08 * std::cos(2 * kPi * x / kHalfTaps);
            const double h = sinc * w;
            l += h * stereo[2 * static_cast<size_t>(k)];
            r += h * stereo[2 * static_cast<size_t>(k) + 1];
            norm += h;
        }
        if (norm != 0) {
            out[2 * i] = static_cast<float>(l / norm);
            out[2 * i + 1] = static_cast<float>(r / norm);
        }
    }
    return out;
}

std::shared_ptr<const Pcm> trimSilence(const Pcm& pcm, int leadMs, int tailMs) {
    constexpr float kQuiet = 0.003f;
    const size_t frames = pcm.frames();
    size_t first = 0, last = 0;
    bool any = false;
    for (size_t i = 0; i < frames; ++i)
        if (std::abs(pcm.samples[2 * i]) > kQuiet || std::abs(pcm.samples[2 * i + 1]) > kQuiet) {
            if (!any)
                first = i;
            last = i;
            any = true;
        }
    auto out = std::make_shared<Pcm>();
    if (!any)
        return out;
    const size_t lead = static_cast<size_t>(leadMs) * Mixer::kRate / 1000;
    const size_t tail = static_cast<size_t>(tailMs) * Mixer::kRate / 1000;
    const size_t from = first > lead ? first - lead : 0;
    const size_t to = std::min(frames, last + 1 + tail);
    out->samples.assign(pcm.samples.begin() + static_cast<std::ptrdiff_t>(2 * from),
                        pcm.samples.begin() + static_cast<std::ptrdiff_t>(2 * to));
    return out;
}

std::shared_ptr<const Pcm> loadWav(const QString& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    return decode(f, info);
}

std::shared_ptr<const Pcm> decodeWav(const QByteArray& bytes) {
    SF_VIRTUAL_IO io{vLength, vSeek, vRead, vWrite, vTell};
    MemoryFile m{&bytes};
    SF_INFO info{};
    SNDFILE* f = sf_open_virtual(&io, SFM_READ, &info, &m);
    return decode(f, info);
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
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxMidiBytes)
        return std::nullopt;
    QByteArray bytes = f.readAll();
    if (!looksLikeMidi(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace soundfiles
