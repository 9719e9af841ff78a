#include "Resampler.h"

#include <algorithm>
#include <cstdint>
#include <memory>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace resampler {

namespace {
struct SwrFree {
    void operator()(SwrContext* c) const { swr_free(&c); }
};
} // namespace

std::vector<float> stereo(const float* frames, size_t count, int fromRate, int toRate) {
    if (count == 0)
        return {};
    if (fromRate == toRate)
        return std::vector<float>(frames, frames + 2 * count);
    AVChannelLayout layout = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    if (swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_FLT, toRate, &layout, AV_SAMPLE_FMT_FLT,
                            fromRate, 0, nullptr) < 0)
        return {};
    std::unique_ptr<SwrContext, SwrFree> swr(raw);
    // The SoX engine at 20-bit precision: a 22.05 kHz chime keeps no images above its band
    // and 48 kHz speech folds nothing down into ours (both under -60 dB), at a small part
    // of a millisecond per second of sound.
    av_opt_set_int(swr.get(), "resampler", SWR_ENGINE_SOXR, 0);
    av_opt_set_double(swr.get(), "precision", 20, 0);
    if (swr_init(swr.get()) < 0)
        return {};

    const auto want = (static_cast<int64_t>(count) * toRate + fromRate - 1) / fromRate;
    std::vector<float> out;
    size_t made = 0;
    // Input in pieces, so a long file never asks for one huge call; a null input flushes
    // the filter's tail, which takes as many calls as it has output left.
    auto convert = [&](const float* in, int inFrames) {
        const int room = swr_get_out_samples(swr.get(), inFrames);
        if (room < 0)
            return -1;
        out.resize(2 * (made + static_cast<size_t>(room)));
        auto* dst = reinterpret_cast<uint8_t*>(out.data() + 2 * made);
        const auto* src = reinterpret_cast<const uint8_t*>(in);
        const int got = swr_convert(swr.get(), &dst, room, in ? &src : nullptr, inFrames);
        if (got > 0)
            made += static_cast<size_t>(got);
        return got;
    };
    constexpr size_t kPiece = 1 << 16;
    for (size_t at = 0; at < count; at += kPiece)
        if (convert(frames + 2 * at, static_cast<int>(std::min(kPiece, count - at))) < 0)
            return {};
    while (convert(nullptr, 0) > 0) {
    }
    out.resize(2 * std::min<size_t>(made, static_cast<size_t>(want)));
    return out;
}

} // namespace resampler
