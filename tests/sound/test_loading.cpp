// Sounds loaded off the UI thread: a play returns before the file is converted and
// starts when it is; a stop or close that comes first wins; a file converted once opens
// at once after; and the converter itself keeps a sound's length, pitch and band.
#include "MciInterpreter.h"
#include "Mixer.h"
#include "MixerProbe.h"
#include "Resampler.h"
#include "SoundCache.h"
#include "SoundFiles.h"
#include "SoundWaits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <thread>

namespace {

QString writeSine(const QString& path, int rate, double hz, double seconds, double amp = 0.5) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr);
    const int n = static_cast<int>(seconds * rate);
    std::vector<float> buf(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        buf[static_cast<size_t>(i)] = static_cast<float>(amp * std::sin(2 * M_PI * hz * i / rate));
    sf_writef_float(f, buf.data(), n);
    sf_close(f);
    return path;
}

// The amplitude of `hz` in the left channel of stereo `s` at `rate` (Goertzel over the
// middle, away from the ends).
double level(const std::vector<float>& s, int rate, double hz) {
    const size_t frames = s.size() / 2;
    const size_t from = frames / 4, to = 3 * frames / 4;
    const double w = 2 * M_PI * hz / rate;
    double re = 0, im = 0;
    for (size_t i = from; i < to; ++i) {
        re += s[2 * i] * std::cos(w * static_cast<double>(i));
        im += s[2 * i] * std::sin(w * static_cast<double>(i));
    }
    return 2 * std::hypot(re, im) / static_cast<double>(to - from);
}

double dB(double ratio) {
    return 20 * std::log10(std::max(ratio, 1e-12));
}

class Loading : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    Mixer mixer;
    MciInterpreter mci{mixer, {}};
    QString open(const QString& path, const QString& alias) {
        return QStringLiteral("open \"%1\" type waveaudio alias %2 wait").arg(path, alias);
    }
};

} // namespace

TEST(Resampler, AChimeAndSpeechKeepTheirLengthPitchAndBand) {
    struct Case {
        int rate;
        double hz;     // a tone of the file
        bool kept;     // inside our band: its level stays
        double mirror; // where a poor converter leaves an image or an alias of it
    };
    for (const Case c :
         {Case{22050, 9000, true, 22050 - 9000}, Case{11025, 1000, true, 11025 - 1000},
          Case{48000, 10000, true, 0}, Case{48000, 23000, false, 44100 - 23000}}) {
        const size_t frames = static_cast<size_t>(c.rate); // one second
        std::vector<float> in(2 * frames);
        for (size_t i = 0; i < frames; ++i)
            in[2 * i] = in[2 * i + 1] = static_cast<float>(
                0.5 * std::sin(2 * M_PI * c.hz * static_cast<double>(i) / c.rate));
        const auto out = resampler::stereo(in.data(), frames, c.rate, Mixer::kRate);
        SCOPED_TRACE(c.hz);
        // As long as the sound, to the frame.
        EXPECT_NEAR(static_cast<double>(out.size() / 2), Mixer::kRate, 1);
        if (c.kept) {
            EXPECT_NEAR(level(out, Mixer::kRate, c.hz), 0.5, 0.01);
        }
        if (c.mirror > 0) {
            EXPECT_LT(dB(level(out, Mixer::kRate, c.mirror) / 0.5), -60) << "at " << c.mirror;
        }
    }
    // The sound is not delayed: a click stays where it was.
    std::vector<float> click(2 * 22050, 0.0f);
    click[2 * 11025] = click[2 * 11025 + 1] = 1.0f;
    const auto out = resampler::stereo(click.data(), 22050, 22050, Mixer::kRate);
    size_t loudest = 0;
    for (size_t i = 0; i < out.size() / 2; ++i)
        if (std::abs(out[2 * i]) > std::abs(out[2 * loudest]))
            loudest = i;
    EXPECT_NEAR(static_cast<double>(loudest), 22050, 2);
}

TEST(SoundCacheTest, KnowsFilesByPathSizeAndTimeAndForgetsTheOldestFirst) {
    QTemporaryDir dir;
    const QString a = writeSine(dir.filePath(QStringLiteral("a.wav")), 44100, 440, 0.1);
    const auto key = SoundCache::keyOf(a);
    ASSERT_TRUE(key);
    EXPECT_FALSE(SoundCache::keyOf(dir.path())); // a folder is no sound
    EXPECT_FALSE(SoundCache::keyOf(dir.filePath(QStringLiteral("gone.wav"))));

    auto pcm = [](size_t frames) {
        auto p = std::make_shared<Pcm>();
        p->samples.resize(2 * frames);
        return p;
    };
    SoundCache cache(3 * 1000 * 2 * sizeof(float)); // room for three sounds of 1000 frames
    cache.put(*key, pcm(1000));
    EXPECT_TRUE(cache.find(*key));
    // The same file rewritten is another sound.
    SoundCache::Key edited = *key;
    edited.size += 2;
    EXPECT_FALSE(cache.find(edited));
    cache.put(edited, pcm(1000));
    EXPECT_EQ(cache.count(), 1u); // the older version of the path went
    for (int i = 0; i < 3; ++i)
        cache.put({QStringLiteral("/s%1.wav").arg(i), 1, 1}, pcm(1000));
    EXPECT_EQ(cache.count(), 3u);
    EXPECT_LE(cache.bytes(), 3u * 1000 * 2 * sizeof(float));
    EXPECT_FALSE(cache.find(edited)); // the least recently used
    cache.put({QStringLiteral("/huge.wav"), 1, 1}, pcm(4000));
    EXPECT_FALSE(cache.find({QStringLiteral("/huge.wav"), 1, 1}));
}

TEST_F(Loading, APlayReturnsAtOnceAndTheSoundStartsWhenConverted) {
    const QString chime = writeSine(dir.filePath(QStringLiteral("chime.wav")), 22050, 880, 2.0);
    mci.send(open(chime, QStringLiteral("527S1")));
    mci.send(QStringLiteral("stop 527S1"));
    mci.send(QStringLiteral("play 527S1 from 0"));
    // Converting two seconds takes longer than queueing the commands.
    EXPECT_TRUE(mci.loading(QStringLiteral("527S1")));
    EXPECT_EQ(mci.fileOf(QStringLiteral("527S1")), QString());
    waitForLoads(mci);
    EXPECT_TRUE(mixer.playing(QStringLiteral("527S1")));
    EXPECT_EQ(mci.fileOf(QStringLiteral("527S1")), chime);
    EXPECT_NEAR(peak(pull(mixer, 4410)), 0.5, 0.02);

    // The same file again is converted already: it opens and plays at once.
    mci.send(QStringLiteral("close 527S1"));
    mci.send(open(chime, QStringLiteral("527S1")));
    EXPECT_FALSE(mci.anyLoading());
    mci.send(QStringLiteral("play 527S1 from 0"));
    EXPECT_TRUE(mixer.playing(QStringLiteral("527S1")));
    EXPECT_EQ(mci.cache().count(), 1u);
}

TEST_F(Loading, AStopOrCloseThatComesFirstWinsOverTheLoad) {
    const QString a = writeSine(dir.filePath(QStringLiteral("a.wav")), 22050, 440, 1.0);
    const QString b = writeSine(dir.filePath(QStringLiteral("b.wav")), 22050, 660, 1.0);
    // Stopped while loading: it opens, but stays silent.
    mci.send(open(a, QStringLiteral("527S2")));
    mci.send(QStringLiteral("play 527S2 from 0"));
    mci.send(QStringLiteral("stop 527S2"));
    // Closed while loading: nothing opens at all.
    mci.send(open(b, QStringLiteral("527S3")));
    mci.send(QStringLiteral("play 527S3 from 0"));
    mci.send(QStringLiteral("close 527S3"));
    waitForLoads(mci);
    EXPECT_TRUE(mixer.isOpen(QStringLiteral("527S2")));
    EXPECT_FALSE(mixer.playing(QStringLiteral("527S2")));
    EXPECT_FALSE(mixer.isOpen(QStringLiteral("527S3")));
    EXPECT_EQ(peak(pull(mixer, 2000)), 0.0);

    // A second file on a channel whose first is still loading: only the second plays.
    mci.send(open(writeSine(dir.filePath(QStringLiteral("c.wav")), 22050, 440, 1.0, 0.2),
                  QStringLiteral("527S1")));
    mci.send(QStringLiteral("play 527S1 from 0"));
    mci.send(QStringLiteral("close 527S1"));
    mci.send(open(b, QStringLiteral("527S1")));
    mci.send(QStringLiteral("play 527S1 from 0"));
    waitForLoads(mci);
    EXPECT_EQ(mci.fileOf(QStringLiteral("527S1")), b);
    EXPECT_NEAR(peak(pull(mixer, 4410)), 0.5, 0.02);
}

TEST_F(Loading, AWaitingPlayWaitsForTheLoadAndThenTheSound) {
    const QString s = writeSine(dir.filePath(QStringLiteral("s.wav")), 22050, 440, 0.2);
    bool sawLoaded = false;
    int polls = 0;
    MciInterpreter waiting(mixer, [&](const std::function<bool()>& done) {
        // Stands for the UI's local loop: hand back finished loads, pull the sound.
        while (!done() && polls < 100000) {
            ++polls;
            waitForLoads(waiting);
            sawLoaded = sawLoaded || mixer.isOpen(QStringLiteral("W"));
            pull(mixer, 512);
        }
    });
    waiting.send(open(s, QStringLiteral("W")));
    waiting.send(QStringLiteral("play W from 0 wait"));
    EXPECT_TRUE(sawLoaded);
    EXPECT_FALSE(mixer.playing(QStringLiteral("W")));
    // 0.2 s is about 17 pulls of 512 frames: the wait lasted the sound, not less.
    EXPECT_GE(polls, 17);
}

TEST_F(Loading, OnTheClockAWaitingPlayLastsItsLengthFromItsStartUnlessStopped) {
    const QString s = writeSine(dir.filePath(QStringLiteral("c.wav")), 22050, 440, 0.2);
    int64_t now = 1000;
    std::function<bool()> done;
    MciInterpreter waiting(mixer, [&](const std::function<bool()>& d) { done = d; });
    waiting.setClock([&] { return now; });
    waiting.send(open(s, QStringLiteral("C")));
    waiting.send(QStringLiteral("play C from 0 wait"));
    ASSERT_TRUE(done);
    EXPECT_FALSE(done()) << "still loading";
    now = 1050; // it starts when converted
    waitForLoads(waiting);
    // The mixer is never pulled here: the end is the clock's, 200 ms after the start.
    now = 1249;
    EXPECT_FALSE(done());
    now = 1250;
    EXPECT_TRUE(done());

    // Played again and stopped half-way: the wait ends with the stop.
    waiting.send(QStringLiteral("play C from 0 wait"));
    EXPECT_FALSE(done());
    waiting.send(QStringLiteral("stop C"));
    EXPECT_TRUE(done());
}

TEST_F(Loading, AChimePreloadedOpensAtOnceAndOthersArePassedOver) {
    const QString s = writeSine(dir.filePath(QStringLiteral("p.wav")), 22050, 440, 0.2);
    mci.preload({s, dir.filePath(QStringLiteral("missing.wav")), QString(),
                 dir.filePath(QStringLiteral("song.mid"))});
    const auto key = SoundCache::keyOf(s);
    ASSERT_TRUE(key);
    QElapsedTimer guard;
    guard.start();
    while (!mci.cache().find(*key) && guard.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    mci.send(open(s, QStringLiteral("P")));
    EXPECT_FALSE(mci.loading(QStringLiteral("P"))) << "converted ahead: no load on opening";
    EXPECT_TRUE(mixer.isOpen(QStringLiteral("P")));
}
