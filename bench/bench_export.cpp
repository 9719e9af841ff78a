// The demo's recorded trip (about 95 s, voice included) exported by the real program on
// virtual time in each format: how many times faster than the trip lasts, and the largest
// resident memory of the exporting program. Targets: MP4 at zoom 1, 30 fps at least 10x
// real time (goal 20x); ProRes 4444 and WebM with alpha at least 3x; memory under 300 MB.
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

void exportTrip(benchmark::State& state, const char* name, const QStringList& extra) {
    const double tripSeconds = 94.965;
    double wall = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(SIMULATOR),
                QStringList{QStringLiteral("--export"), dir.filePath(QString::fromLatin1(name)),
                            QStringLiteral("--settings"), dir.filePath(QStringLiteral("b.in4")),
                            QStringLiteral("--script"), QStringLiteral("demo/record.script")} +
                    extra);
        if (!p.waitForFinished(600000) || p.exitCode() != 0) {
            state.SkipWithError("the export failed");
            return;
        }
        wall = static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["x_real_time"] = tripSeconds / wall;
    state.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ExportMp4Zoom1(benchmark::State& s) {
    exportTrip(s, "trip.mp4", {});
}
void BM_ExportProRes4444Zoom1(benchmark::State& s) {
    exportTrip(s, "trip.mov",
               {QStringLiteral("--export-background"), QStringLiteral("transparent")});
}
void BM_ExportWebmAlphaZoom1(benchmark::State& s) {
    exportTrip(s, "trip.webm", {QStringLiteral("--export-background"), QStringLiteral("lit")});
}
void BM_ExportMp4Zoom3(benchmark::State& s) {
    exportTrip(s, "trip.mp4", {QStringLiteral("--export-zoom"), QStringLiteral("3")});
}
BENCHMARK(BM_ExportMp4Zoom1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ExportProRes4444Zoom1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ExportWebmAlphaZoom1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ExportMp4Zoom3)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
