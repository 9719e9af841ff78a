// Feeds arbitrary bytes to the sound loading glue: WAV decoding through libsndfile into
// the mixer's format, and the MIDI file check. Nothing may crash or read out of range,
// and whatever decodes is whole stereo frames within [-1, 1] after mixing.
#include "Mixer.h"
#include "SoundFiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)soundfiles::looksLikeMidi(bytes);
    const auto pcm = soundfiles::decodeWav(bytes);
    if (!pcm)
        return 0;
    if (pcm->samples.size() % 2 != 0)
        std::abort();
    Mixer mixer;
    mixer.openPcm(QStringLiteral("F"), pcm);
    mixer.play(QStringLiteral("F"));
    float out[2 * 256];
    for (int i = 0; i < 4; ++i) {
        mixer.render(out, 256);
        for (float v : out)
            if (!(v >= -1.0f && v <= 1.0f))
                std::abort();
    }
    return 0;
}
