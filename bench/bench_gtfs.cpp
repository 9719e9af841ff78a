// Open data: the largest feed we know (十勝バス: 114,609 fare rules, a 166-stop pattern)
// read and every pattern imported into a fresh folder, and the memory that takes.
#include "Importer.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

const QString kFeed = QStringLiteral(SHARED_DIR "/gtfs/zips/20181101GTFS-dia.zip");

void BM_GtfsImportEveryPatternOfTheLargestFeed(benchmark::State& state) {
    if (!QFile::exists(kFeed)) {
        state.SkipWithError("the shared feeds are not here");
        return;
    }
    int patterns = 0;
    for (auto _ : state) {
        QTemporaryDir out;
        auto opened = gtfs::OpenFeed::open(kFeed);
        const auto& feed = *std::get<std::unique_ptr<gtfs::OpenFeed>>(opened);
        gtfs::ImportRequest r;
        r.folder = out.path();
        r.allPatterns = true;
        const gtfs::ImportReport report = gtfs::importPatterns(feed, r);
        patterns = static_cast<int>(report.patterns.size());
        benchmark::DoNotOptimize(report.ok());
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["patterns"] = patterns;
    state.counters["peak_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_GtfsImportEveryPatternOfTheLargestFeed)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
