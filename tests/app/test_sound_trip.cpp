// A trip you can hear: the simulator records what it plays, and the recording is
// measured for the chimes at the right moments.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace {

// Start times (seconds) where the level jumps from quiet to loud: 10 ms windows, a window
// at least four times louder than the 30 ms before it and clearly audible.
std::vector<double> onsets(const QString& wav) {
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(wav).constData(), SFM_READ, &info);
    if (!f)
        return {};
    std::vector<float> s(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, s.data(), info.frames);
    sf_close(f);
    const int win = info.samplerate / 100;
    std::vector<double> rms;
    for (sf_count_t at = 0; at + win <= info.frames; at += win) {
        double sum = 0;
        for (int i = 0; i < win; ++i) {
            const double v = s[static_cast<size_t>((at + i) * info.channels)];
            sum += v * v;
        }
        rms.push_back(std::sqrt(sum / win));
    }
    std::vector<double> out;
    auto at = [&](size_t i, size_t back) { return i >= back ? rms[i - back] : 0.0; };
    for (size_t i = 0; i < rms.size(); ++i) {
        const double before = std::max({at(i, 1), at(i, 2), at(i, 3)});
        if (rms[i] > 0.02 && rms[i] > 4 * before && (out.empty() || i / 100.0 - out.back() > 0.1))
            out.push_back(static_cast<double>(i) / 100.0);
    }
    return out;
}

} // namespace

TEST(SoundTrip, RouteChimeThenOneStepSoundPerStepInTheRecording) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("trip.wav"));
    const QString script = dir.filePath(QStringLiteral("trip.script"));
    QFile f(script);
    f.open(QIODevice::WriteOnly);
    const QString d = QStringLiteral(DEMO_DIR);
    f.write(QStringLiteral("option FareDataFolder %1\n"
                           "option RouteSetSound %1/sounds/route_set.wav\n"
                           "option ResetSound %1/sounds/key.wav\n"
                           "option StepSoundFile %1/sounds/step.wav\n"
                           "option StepSoundSync -1\noption StepSoundAsync 0\n"
                           "key route\nkey 1\nkey section\nkey 1\nreset keypad\n"
                           "next\nnext\nstate\n")
                .arg(d)
                .toUtf8());
    f.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--unattended"), QStringLiteral("--settings"),
             dir.filePath(QStringLiteral("t.in4")), QStringLiteral("--audio-out"), wav,
             QStringLiteral("--script"), script});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    const QJsonObject state =
        QJsonDocument::fromJson(p.readAllStandardOutput().trimmed().split('\n').last()).object();
    const QJsonObject snd = state[QStringLiteral("mdlSndAPI")].toObject();
    const QJsonObject s2 =
        snd[QStringLiteral("channels")].toObject()[QStringLiteral("S2")].toObject();
    EXPECT_EQ(s2[QStringLiteral("type")].toString(), QStringLiteral("waveaudio"));
    EXPECT_TRUE(s2[QStringLiteral("file")].toString().endsWith(QStringLiteral("step.wav")));
    EXPECT_EQ(snd[QStringLiteral("commands")].toArray().last().toString(),
              QStringLiteral("play 527S2 from 0 wait"));

    const std::vector<double> at = onsets(wav);
    std::string seen;
    for (double t : at)
        seen += std::to_string(t) + " ";
    ASSERT_GE(at.size(), 3u) << "recording too quiet: " << seen;
    // The route-setting chime (with the key clicks), then the lamp test's three seconds,
    // then the first step; the second step starts when the first, played to its end
    // (0.9 s), has finished.
    // (The chime has two strikes of its own within its first second.)
    const double chime = at[0];
    std::vector<double> steps;
    for (double t : at)
        if (t > chime + 2.0)
            steps.push_back(t);
    ASSERT_EQ(steps.size(), 2u) << seen;
    EXPECT_NEAR(steps[0] - chime, 3.0, 0.4) << seen;
    // Never before the first step sound has ended; a loaded machine may add a little.
    EXPECT_GE(steps[1] - steps[0], 0.88) << seen;
    EXPECT_LE(steps[1] - steps[0], 1.2) << seen;
}
