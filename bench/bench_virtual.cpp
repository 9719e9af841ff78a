// The demo's recorded trip (about 95 s of simulator time) run on virtual time by the real
// program, with its voice and without: how long the machine takes, and how many times
// faster than the trip lasts. Targets: under 10 s with the voice, under 3 s without.
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// One unattended virtual run of record.script; `extra` lines go before it (an option that
// silences the voice). The simulator's milliseconds reached, -1 when the run failed.
int64_t runTrip(const QByteArray& before) {
    QTemporaryDir dir;
    QFile f(QStringLiteral(DEMO_DIR "/record.script"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    QByteArray script = f.readAll() + "\nstate\n";
    // After the script's own options, before the route is set.
    script.replace("speed 24\n", "speed 24\n" + before);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
    p.start(QStringLiteral(SIMULATOR),
            {QStringLiteral("--unattended"), QStringLiteral("--virtual-time"),
             QStringLiteral("--settings"), dir.filePath(QStringLiteral("b.in4")),
             QStringLiteral("--audio-out"), dir.filePath(QStringLiteral("b.wav")),
             QStringLiteral("--script"), QStringLiteral("-")});
    p.write(script);
    p.closeWriteChannel();
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        return -1;
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    const QJsonObject s = QJsonDocument::fromJson(lines.last()).object();
    return s[QStringLiteral("clock")][QStringLiteral("ms")].toInteger(-1);
}

void tripOnVirtualTime(benchmark::State& state, const QByteArray& before) {
    int64_t simulated = 0;
    double wall = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        simulated = runTrip(before);
        wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (simulated < 0) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    state.counters["trip_s"] = static_cast<double>(simulated) / 1000.0;
    state.counters["x_real_time"] = static_cast<double>(simulated) / 1000.0 / wall;
}

void BM_DemoTripVirtualWithVoice(benchmark::State& state) {
    tripOnVirtualTime(state, {});
}
BENCHMARK(BM_DemoTripVirtualWithVoice)->Unit(benchmark::kMillisecond)->Iterations(3);

// No broadcast list: the run steps the board by データ送り, chimes and all, and no voice.
void BM_DemoTripVirtualWithoutVoice(benchmark::State& state) {
    tripOnVirtualTime(state, "option BroadcastDataFolder /nonexistent\n");
}
BENCHMARK(BM_DemoTripVirtualWithoutVoice)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
