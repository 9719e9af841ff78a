#pragma once
// Sample-rate conversion of interleaved stereo float by libswresample: every sound reaches
// the mixer at its one rate, whatever rate the file was made at.
#include <cstddef>
#include <vector>

namespace resampler {

// `frames` stereo frames at `fromRate` to stereo at `toRate`, the filter's delay removed
// and its tail flushed, so the result is as long as the sound and starts on time.
std::vector<float> stereo(const float* frames, size_t count, int fromRate, int toRate);

} // namespace resampler
