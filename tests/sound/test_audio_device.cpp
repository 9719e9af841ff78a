// The real device path on SDL's dummy driver: real-time playback, so a synchronous play
// lasts as long as its sound.
#include "AudioDevice.h"
#include "MciInterpreter.h"
#include "Mixer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace {

void waitUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(4);
    if (!done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

TEST(AudioDevice, ASynchronousPlayReturnsWhenTheSoundHasEnded) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    std::vector<float> tone(44100 * 3 / 10);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.3 * std::sin(0.06 * static_cast<double>(i)));
    sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(f);

    Mixer mixer;
    AudioDevice device(mixer);
    ASSERT_TRUE(device.open());
    EXPECT_EQ(device.driver(), QStringLiteral("dummy"));
    EXPECT_TRUE(device.paused()); // silent until something plays
    MciInterpreter mci(mixer, waitUntil);
    mci.send(QStringLiteral("open \"%1\" type waveaudio alias T1 wait").arg(path));
    QElapsedTimer t;
    t.start();
    mci.send(QStringLiteral("play T1 from 0 wait"));
    const qint64 ms = t.elapsed();
    EXPECT_FALSE(device.paused());
    // Not before the end; the generous upper bound only guards against a hang (the
    // benchmark measures the real lateness).
    EXPECT_GE(ms, 290);
    EXPECT_LT(ms, 800);
    EXPECT_FALSE(mixer.playing(QStringLiteral("T1")));
}
