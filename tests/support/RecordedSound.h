#pragma once
// A recording as the tests measure it: its left channel as floats, and its rate.
#include <QFile>
#include <QString>
#include <sndfile.h>
#include <vector>

struct RecordedChannel {
    std::vector<float> samples;
    int rate = 1;
};

// The left channel of a sound file; empty when it cannot be read.
inline RecordedChannel leftChannel(const QString& wav) {
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(wav).constData(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<float> all(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, all.data(), info.frames);
    sf_close(f);
    RecordedChannel c{std::vector<float>(static_cast<size_t>(info.frames)), info.samplerate};
    for (size_t i = 0; i < c.samples.size(); ++i)
        c.samples[i] = all[i * static_cast<size_t>(info.channels)];
    return c;
}
