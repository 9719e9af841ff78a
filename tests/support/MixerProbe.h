#pragma once
// Pulling the mixer by hand, as the audio thread would, and the loudest sample of what
// came out: for the sound tests, which run without a sound card.
#include "Mixer.h"

#include <algorithm>
#include <cmath>
#include <vector>

inline std::vector<float> pull(Mixer& m, int frames) {
    std::vector<float> out(static_cast<size_t>(2 * frames));
    m.render(out.data(), frames);
    return out;
}

inline double peak(const std::vector<float>& v) {
    double p = 0;
    for (float s : v)
        p = std::max(p, static_cast<double>(std::abs(s)));
    return p;
}
