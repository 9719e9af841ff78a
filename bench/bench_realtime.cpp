// Sound in real time: what an asynchronous play costs the UI thread for a file that still
// has to be converted, what the conversion costs per second of sound, and how long the
// UI thread of the real program stalls at worst during an announced trip.
#include "BenchWaits.h"
#include "DemoSounds.h"
#include "MciInterpreter.h"
#include "Mixer.h"
#include "Resampler.h"
#include "mdlSndAPI.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <sndfile.h>

namespace {

QString writeChime(const QString& path, int rate, double seconds) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    std::vector<float> tone(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] =
            static_cast<float>(0.3 * std::sin(2 * M_PI * 880 * static_cast<double>(i) / rate));
    sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(f);
    return path;
}

// PlaySnd (asynchronous) of a 2 s 22.05 kHz WAV never played before: the time until the
// call returns to the UI thread (the conversion goes on behind it).
void BM_AsyncPlaySndUncached22k(benchmark::State& state) {
    QTemporaryDir dir;
    Mixer mixer;
    MciInterpreter mci(mixer, {});
    mdlSndAPI api(QStringLiteral("527"), [&](const QString& c) { mci.send(c); });
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString file =
            writeChime(dir.filePath(QStringLiteral("chime%1.wav").arg(n++)), 22050, 2.0);
        state.ResumeTiming();
        api.PlaySnd(file, Channel::S1, false, 0);
        state.PauseTiming();
        bench::waitForLoads(mci);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AsyncPlaySndUncached22k)->Unit(benchmark::kMicrosecond)->Iterations(20);

// CPU to convert one second of 22.05 kHz stereo sound to the mixer's rate.
void BM_ConvertOneSecondFrom22k(benchmark::State& state) {
    std::vector<float> in(2 * 22050);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.3 * std::sin(0.1 * static_cast<double>(i / 2)));
    for (auto _ : state)
        benchmark::DoNotOptimize(resampler::stereo(in.data(), 22050, 22050, Mixer::kRate));
}
BENCHMARK(BM_ConvertOneSecondFrom22k)->Unit(benchmark::kMicrosecond);

// The same for Open JTalk's 48 kHz speech.
void BM_ConvertOneSecondFrom48k(benchmark::State& state) {
    std::vector<float> in(2 * 48000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.3 * std::sin(0.1 * static_cast<double>(i / 2)));
    for (auto _ : state)
        benchmark::DoNotOptimize(resampler::stereo(in.data(), 48000, 48000, Mixer::kRate));
}
BENCHMARK(BM_ConvertOneSecondFrom48k)->Unit(benchmark::kMicrosecond);

// The real program on a five-stop announced trip with the demo's chimes, a MIDI reset
// sound and step sounds: the longest time its UI loop did not turn, from its own
// watchdog (the benchmark's time is the trip's length).
void BM_LongestUiStallAnnouncedTrip(benchmark::State& state) {
    QTemporaryDir dir;
    QString midi;
    for (const auto& [name, data] : demosounds::all())
        if (name == "departure.mid") {
            midi = dir.filePath(QStringLiteral("departure.mid"));
            QFile f(midi);
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray::fromStdString(data));
        }
    const QString d = QStringLiteral(DEMO_DIR);
    QString script =
        QStringLiteral("option FareDataFolder %1\noption BroadcastDataFolder %1\n"
                       "option RouteSetSound %1/sounds/route_set.wav\noption ResetSound %2\n"
                       "option StepSoundFile %1/sounds/step.wav\n"
                       "option PreSoundFile %1/sounds/chime.wav\n"
                       "key route\nkey 1\nkey section\nkey 1\nreset keypad\n")
            .arg(d, midi);
    for (int stop = 0; stop < 5; ++stop)
        script += QStringLiteral("tape next\nwait 2500\n");
    script += QStringLiteral("state\n");
    QFile sf(dir.filePath(QStringLiteral("trip.script")));
    sf.open(QIODevice::WriteOnly);
    sf.write(script.toUtf8());
    sf.close();
    double longest = 0, over = 0;
    for (auto _ : state) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(SIMULATOR),
                {QStringLiteral("--unattended"), QStringLiteral("--settings"),
                 dir.filePath(QStringLiteral("t.in4")), QStringLiteral("--script"), sf.fileName()});
        if (!p.waitForFinished(120000)) {
            state.SkipWithError("the simulator did not finish");
            return;
        }
        const QJsonObject ui = QJsonDocument::fromJson(p.readAllStandardOutput().trimmed())
                                   .object()[QStringLiteral("ui")]
                                   .toObject();
        longest = std::max(longest, ui[QStringLiteral("longestStallMs")].toDouble());
        over += ui[QStringLiteral("stallsOver50ms")].toDouble();
    }
    state.counters["longestStallMs"] = longest;
    state.counters["stallsOver50ms"] = over;
}
BENCHMARK(BM_LongestUiStallAnnouncedTrip)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
