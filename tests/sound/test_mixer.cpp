// The mixer and the command interpreter over it, pulled by hand (no sound card), plus
// the file formats a user's sounds come in and the ones that must play nothing.
#include "DemoSounds.h"
#include "MciInterpreter.h"
#include "Mixer.h"
#include "MixerProbe.h"
#include "SoundFiles.h"
#include "SoundWaits.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <thread>

namespace {

// Writes `seconds` of a 440 Hz tone at `amp` in the given libsndfile format.
QString writeTone(const QString& path, int format, int rate, int channels, double seconds,
                  double amp = 0.5) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    const int n = static_cast<int>(seconds * rate);
    std::vector<float> buf(static_cast<size_t>(n * channels));
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            buf[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(amp * std::sin(2 * M_PI * 440.0 * i / rate));
    sf_writef_float(f, buf.data(), n);
    sf_close(f);
    return path;
}

class MixerTest : public ::testing::Test {
  protected:
    QString tone(const char* name, double seconds, double amp = 0.5) {
        return writeTone(dir.filePath(QString::fromUtf8(name)), SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                         22050, 1, seconds, amp);
    }
    QTemporaryDir dir;
    Mixer mixer;
    MciInterpreter mci{mixer, {}};
};

} // namespace

TEST(SoundFiles, EveryWavEncodingAUserMayHaveDecodes) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        int format;
    } cases[] = {
        {"u8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},   {"s16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"s24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},  {"s32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
        {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT}, {"ima", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM},
        {"ms", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM}, {"ulaw", SF_FORMAT_WAV | SF_FORMAT_ULAW},
        {"alaw", SF_FORMAT_WAV | SF_FORMAT_ALAW},
    };
    for (const auto& c : cases) {
        const QString path =
            writeTone(dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".wav")), c.format,
                      8000, 2, 0.5);
        const auto pcm = soundfiles::loadWav(path);
        ASSERT_TRUE(pcm) << c.name;
        // Half a second at the mixer's rate, within an ADPCM block.
        EXPECT_NEAR(static_cast<double>(pcm->frames()), Mixer::kRate / 2.0, 600) << c.name;
        EXPECT_NEAR(peak(pcm->samples), 0.5, 0.08) << c.name;
    }
}

TEST(SoundFiles, BrokenFilesAreRefusedNotCrashedOn) {
    QTemporaryDir dir;
    const QString good = writeTone(dir.filePath(QStringLiteral("good.wav")),
                                   SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 0.2);
    QFile g(good);
    g.open(QIODevice::ReadOnly);
    const QByteArray bytes = g.readAll();
    EXPECT_FALSE(soundfiles::decodeWav(QByteArray()));
    EXPECT_FALSE(soundfiles::decodeWav(QByteArray("RIFF\x10\x00\x00\x00WAVEjunkjunk", 20)));
    EXPECT_FALSE(soundfiles::decodeWav(QByteArray(4096, '\x55')));
    // Cut in the middle of the samples: what is there plays.
    const auto cut = soundfiles::decodeWav(bytes.left(bytes.size() / 2));
    ASSERT_TRUE(cut);
    EXPECT_GT(cut->frames(), static_cast<size_t>(Mixer::kRate / 20));
    EXPECT_LT(cut->frames(), static_cast<size_t>(Mixer::kRate / 5));
    EXPECT_FALSE(soundfiles::loadWav(dir.filePath(QStringLiteral("missing.wav"))));

    EXPECT_FALSE(soundfiles::looksLikeMidi(QByteArray("MThd\x00\x00\x00\x06", 8)));
    EXPECT_FALSE(soundfiles::looksLikeMidi(QByteArray("RIFF")));
    for (const auto& [name, data] : demosounds::all()) {
        if (name == "departure.mid") {
            EXPECT_TRUE(soundfiles::looksLikeMidi(QByteArray::fromStdString(data)));
        }
    }
}

TEST_F(MixerTest, TwoChannelsOverlapAndASecondPlayCutsTheFirst) {
    const QString a = tone("a.wav", 1.0, 0.3);
    const QString b = tone("b 空白.wav", 1.0, 0.3);
    mci.send(QStringLiteral("open \"%1\" type waveaudio alias 527S1 wait").arg(a));
    mci.send(QStringLiteral("play 527S1 from 0"));
    mci.send(QStringLiteral("open \"%1\" type waveaudio alias 527S2 wait").arg(b));
    mci.send(QStringLiteral("play 527S2 from 0"));
    waitForLoads(mci);
    EXPECT_TRUE(mixer.playing(QStringLiteral("527S1")));
    EXPECT_TRUE(mixer.playing(QStringLiteral("527S2")));
    EXPECT_NEAR(peak(pull(mixer, 4410)), 0.6, 0.05); // both tones in phase: they add
    // The same channel again: close, open, play from 0 — one tone only.
    mci.send(QStringLiteral("close 527S2"));
    EXPECT_FALSE(mixer.isOpen(QStringLiteral("527S2")));
    EXPECT_EQ(mci.fileOf(QStringLiteral("527S2")), QString());
    mci.send(QStringLiteral("stop 527S1"));
    EXPECT_EQ(peak(pull(mixer, 441)), 0.0);
    EXPECT_EQ(mixer.typeOf(QStringLiteral("527S1")), QStringLiteral("waveaudio"));
}

TEST_F(MixerTest, ASoundEndsAfterItsLengthAndLoudChannelsClip) {
    const QString loud = tone("loud.wav", 0.1, 0.9);
    for (const char* ch : {"X1", "X2", "X3"}) {
        mci.send(QStringLiteral("open \"%1\" type waveaudio alias %2 wait")
                     .arg(loud, QString::fromLatin1(ch)));
        mci.send(QStringLiteral("play %1 from 0").arg(QString::fromLatin1(ch)));
    }
    waitForLoads(mci);
    const auto out = pull(mixer, Mixer::kRate / 10 - 100);
    EXPECT_LE(peak(out), 1.0);
    EXPECT_TRUE(mixer.anyPlaying());
    pull(mixer, 200);
    // The tail is in the device's buffer for one more buffer's length (here 7 ms).
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(mixer.anyPlaying());
}

TEST_F(MixerTest, BadFilesAndWrongTypesLeaveTheChannelSilent) {
    QFile junk(dir.filePath(QStringLiteral("junk.wav")));
    junk.open(QIODevice::WriteOnly);
    junk.write("not a sound at all");
    junk.close();
    mci.send(QStringLiteral("open \"%1\" type waveaudio alias 527S1 wait").arg(junk.fileName()));
    mci.send(QStringLiteral("open \"%1\" type sequencer alias 527S2 wait").arg(junk.fileName()));
    mci.send(QStringLiteral("play 527S1 from 0 wait")); // nothing open: returns at once
    mci.send(QStringLiteral("play 527S2 from 0"));
    mci.send(QStringLiteral("nonsense"));
    waitForLoads(mci);
    EXPECT_FALSE(mixer.anyPlaying());
    EXPECT_EQ(peak(pull(mixer, 1000)), 0.0);
}

TEST(MidiPlayback, AStandardMidiFileRendersSound) {
    Mixer mixer(QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"));
    QByteArray smf;
    for (const auto& [name, data] : demosounds::all())
        if (name == "departure.mid")
            smf = QByteArray::fromStdString(data);
    ASSERT_TRUE(mixer.openMidi(QStringLiteral("527S4"), smf));
    EXPECT_EQ(mixer.typeOf(QStringLiteral("527S4")), QStringLiteral("sequencer"));
    mixer.play(QStringLiteral("527S4"));
    EXPECT_TRUE(mixer.playing(QStringLiteral("527S4")));
    EXPECT_GT(peak(pull(mixer, Mixer::kRate / 2)), 0.01);
    mixer.stop(QStringLiteral("527S4"));
    EXPECT_FALSE(mixer.playing(QStringLiteral("527S4")));
}

TEST(DemoSounds, CommittedFilesAreWhatTheGeneratorMakes) {
    for (const auto& [name, bytes] : demosounds::all()) {
        QFile f(QStringLiteral(DEMO_DIR "/sounds/") + QString::fromStdString(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(f.readAll() == QByteArray::fromStdString(bytes))
            << name << " differs: run build/tools/make-demo-sounds demo/sounds";
    }
}

TEST(MidiPlayback, APianoNoteSoundsAsLoudAsOnAGeneralMidiPlayer) {
    // One piano C5 at velocity 100 for a second: the level a player at unity gain gives
    // it, neither lost under the WAV chimes nor clipping.
    const char track[] = "\x00\xC0\x00"         // piano
                         "\x00\x90\x48\x64"     // C5 on, velocity 100
                         "\x83\x60\x80\x48\x00" // 480 ticks later: off
                         "\x00\xFF\x2F\x00";
    QByteArray smf("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0MTrk", 18);
    const QByteArray trk(track, sizeof(track) - 1);
    for (int i = 3; i >= 0; --i)
        smf.append(static_cast<char>((trk.size() >> (8 * i)) & 0xFF));
    smf += trk;
    Mixer mixer(QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2"));
    ASSERT_TRUE(mixer.prepareSynth());
    ASSERT_TRUE(mixer.openMidi(QStringLiteral("K"), smf));
    mixer.play(QStringLiteral("K"));
    const double p = peak(pull(mixer, Mixer::kRate));
    EXPECT_GE(p, 0.2);
    EXPECT_LE(p, 0.5);
}
