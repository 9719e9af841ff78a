// Speed of what the operator waits for: redrawing the fares, rasterising and scrolling
// a stop name, loading a full-size route.
#include "ApiLib.h"
#include "BenchWaits.h"
#include "ChimeiCtl_DX.h"
#include "ChimeiLayout.h"
#include "Companion.h"
#include "Cp932.h"
#include "DataIo.h"
#include "DemoSounds.h"
#include "DotRaster.h"
#include "FontSubstitutes.h"
#include "Form1.h"
#include "OpenJTalkEngine.h"
#include "Program.h"
#include "SoundFiles.h"
#include "mdlIniIoEx.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <sndfile.h>

namespace {

// A board update writes all 32 fare digits in a row, each redrawing at once.
void BM_RedrawAll32FareDigits(benchmark::State& state) {
    Form1 board;
    int v = 100;
    for (auto _ : state) {
        for (int n = 1; n <= 32; ++n)
            board.Degit(static_cast<size_t>(n))->setValue(static_cast<double>(v + n));
        v = v == 100 ? 200 : 100;
    }
}
BENCHMARK(BM_RedrawAll32FareDigits)->Unit(benchmark::kMicrosecond);

// Rasterising a 20-character name into dots, glyph cache cold every time.
void BM_Rasterise20CharacterName(benchmark::State& state) {
    const QString name = QStringLiteral("中央総合病院西口バスターミナル前乗換所");
    for (auto _ : state) {
        clearGlyphCache();
        QImage strip(20 * 54, 56, QImage::Format_RGB32);
        strip.fill(Qt::black);
        int x = 0;
        for (const QString& u : chimeiUnits(name)) {
            paintDots(strip, x, 0, sampleGlyph(u, {Face::Gothic, false, 19, 0}), qRgb(255, 190, 0));
            x += 54;
        }
        benchmark::DoNotOptimize(strip.bits());
    }
}
BENCHMARK(BM_Rasterise20CharacterName)->Unit(benchmark::kMicrosecond);

void BM_SetChimeiEightCharacters(benchmark::State& state) {
    ChimeiCtl_DX c;
    const QString names[2] = {QStringLiteral("県立図書館前広場"),
                              QStringLiteral("ミナモ駅北口広場")};
    int i = 0;
    for (auto _ : state)
        c.SetChimei(names[i++ % 2]);
}
BENCHMARK(BM_SetChimeiEightCharacters)->Unit(benchmark::kMicrosecond);

// A long name (40 characters) set again and again with the glyphs remembered: what is
// left is splitting the name into units and placing them, which must stay linear.
void BM_SetChimeiFortyCharacters(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    const QString names[2] = {
        QStringLiteral(
            "中央総合病院西口バスターミナル前乗換所経由県立図書館前広場行き臨時便のりば東口前"),
        QStringLiteral(
            "ミナモ駅北口広場中央総合病院西口バスターミナル前乗換所経由県立図書館前行き臨時便")};
    for (const QString& n : names)
        c.SetChimei(n);
    int i = 0;
    for (auto _ : state)
        c.SetChimei(names[i++ % 2]);
}
BENCHMARK(BM_SetChimeiFortyCharacters)->Unit(benchmark::kMicrosecond);

// CPU time spent per second of scrolling at Speed 400: 66 timer ticks of 15 ms.
void BM_ScrollOneSecondAtSpeed400(benchmark::State& state) {
    ChimeiCtl_DX c;
    c.setAutoScroll(false);
    c.setSpeed(400);
    c.setScrollStartWait(0);
    c.SetChimei(QStringLiteral("中央総合病院西口バスターミナル"));
    for (auto _ : state) {
        for (int t = 0; t < 66; ++t) {
            c.tick(15);
            QImage frame(432, 56, QImage::Format_RGB32);
            c.render(&frame);
        }
    }
}
BENCHMARK(BM_ScrollOneSecondAtSpeed400)->Unit(benchmark::kMillisecond);

void BM_LoadFareData301Rows(benchmark::State& state) {
    QTemporaryDir dir;
    hy3::File f;
    f.declaredRows = 301;
    for (int i = 1; i <= 301; ++i) {
        hy3::Row r;
        r.name = cp932::encode(QStringLiteral("停留所番号%1番地前").arg(i));
        r.ticketNo = static_cast<int16_t>(i);
        for (int k = 0; k < 150; ++k)
            r.columns[static_cast<size_t>(k)] = static_cast<int16_t>(100 + i + k);
        f.rows.push_back(r);
    }
    const std::string bytes = hy3::write(f);
    QFile out(dir.filePath(QStringLiteral("1.hy3")));
    out.open(QIODevice::WriteOnly);
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    out.close();
    RouteTable table;
    RouteState st;
    st.RouteDigits = QStringLiteral("1");
    for (auto _ : state) {
        st.StartSection = 1;
        if (!LoadFareData(table, st, dir.path()).ok)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadFareData301Rows)->Unit(benchmark::kMicrosecond);

// Sound: a tone file the sound benchmarks play.
QString benchTone(const QTemporaryDir& dir, double seconds) {
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    std::vector<float> tone(static_cast<size_t>(44100 * seconds));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(0.3 * std::sin(0.06 * static_cast<double>(i)));
    sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(f);
    return path;
}

// The sound stack as the program builds it, on SDL's dummy driver (real time).
struct SoundRig {
    Mixer mixer{findSoundFont()};
    AudioDevice device{mixer};
    MciInterpreter mci{mixer, [](const std::function<bool()>& d) { bench::waitUntil(d); }};
    mdlSndAPI api{QStringLiteral("527"), [this](const QString& c) { mci.send(c); }};
    std::atomic<int64_t> firstLoudNs{0};
    SoundRig() {
        qputenv("SDL_AUDIODRIVER", "dummy");
        device.open();
        mixer.setTap([this](const float* out, int frames) {
            for (int i = 0; i < 2 * frames; ++i)
                if (std::abs(out[i]) > 1e-3f) {
                    int64_t zero = 0;
                    firstLoudNs.compare_exchange_strong(
                        zero, std::chrono::steady_clock::now().time_since_epoch().count());
                    return;
                }
        });
    }
};

// From PlaySnd (asynchronous) to the first non-silent sample leaving the mixer.
void BM_PlaySndToFirstSound(benchmark::State& state) {
    QTemporaryDir dir;
    const QString tone = benchTone(dir, 0.2);
    SoundRig rig;
    for (auto _ : state) {
        rig.api.PlaySnd(QString(), Channel::S1, false, 0);
        rig.firstLoudNs = 0;
        const auto start = std::chrono::steady_clock::now();
        rig.api.PlaySnd(tone, Channel::S1, false, 0);
        bench::waitUntil([&] { return rig.firstLoudNs.load() != 0; });
        const auto end = std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(rig.firstLoudNs.load()));
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        rig.api.CloseAllSnd();
        bench::waitUntil([&] { return !rig.mixer.anyPlaying(); });
    }
}
BENCHMARK(BM_PlaySndToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// How late a synchronous play returns after its sound's real length (100 ms here).
void BM_SyncPlayReturnAfterEnd(benchmark::State& state) {
    QTemporaryDir dir;
    const QString tone = benchTone(dir, 0.1);
    SoundRig rig;
    for (auto _ : state) {
        rig.firstLoudNs = 0;
        rig.api.PlaySnd(tone, Channel::S2, true, 0);
        const auto returned = std::chrono::steady_clock::now();
        const auto started = std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(rig.firstLoudNs.load()));
        const double late = std::chrono::duration<double>(returned - started).count() - 0.1;
        state.SetIterationTime(std::max(late, 0.0));
    }
}
BENCHMARK(BM_SyncPlayReturnAfterEnd)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// CPU to mix one second of audio with four WAV channels and one MIDI file playing.
void BM_MixOneSecondFourChannelsAndMidi(benchmark::State& state) {
    QTemporaryDir dir;
    const QString tone = benchTone(dir, 30);
    Mixer mixer(findSoundFont());
    const auto pcm = soundfiles::loadWav(tone);
    QByteArray smf;
    for (const auto& [name, data] : demosounds::all())
        if (name == "departure.mid")
            smf = QByteArray::fromStdString(data);
    std::vector<float> out(2 * 512);
    for (auto _ : state) {
        state.PauseTiming();
        for (int c = 1; c <= 4; ++c) {
            mixer.openPcm(QStringLiteral("S%1").arg(c), pcm);
            mixer.play(QStringLiteral("S%1").arg(c));
        }
        mixer.openMidi(QStringLiteral("M"), smf);
        mixer.play(QStringLiteral("M"));
        state.ResumeTiming();
        for (int done = 0; done < Mixer::kRate; done += 512)
            mixer.render(out.data(), 512);
    }
}
BENCHMARK(BM_MixOneSecondFourChannelsAndMidi)->Unit(benchmark::kMillisecond);

// Process CPU over half a second with the device open and paused (nothing playing).
void BM_IdleDeviceCpu(benchmark::State& state) {
    SoundRig rig;
    for (auto _ : state) {
        const std::clock_t c0 = std::clock();
        bench::waitMs(500);
        state.SetIterationTime(static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    state.counters["paused"] = rig.device.paused() ? 1 : 0;
}
BENCHMARK(BM_IdleDeviceCpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// Speech: from speak() to the first sample of voice leaving the mixer, for a 40-character
// announcement (synthesis of the first piece included).
void BM_SpeakToFirstVoiceSample(benchmark::State& state) {
    SoundRig rig;
    OpenJTalkEngine engine(rig.mixer, JTalkVoice::locate());
    if (!engine.create()) {
        state.SkipWithError("Open JTalk or its voice is not installed");
        return;
    }
    const QString text = QStringLiteral(
        "次は、中央総合病院西口バスターミナル前です。お降りの方はお知らせください。");
    for (auto _ : state) {
        engine.reset();
        bench::waitMs(50);
        rig.firstLoudNs = 0;
        const auto start = std::chrono::steady_clock::now();
        engine.speak(text);
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (rig.firstLoudNs.load() != 0)
                loop.quit();
        });
        poll.start(1);
        loop.exec();
        const auto first = std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(rig.firstLoudNs.load()));
        state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    }
    engine.reset();
}
BENCHMARK(BM_SpeakToFirstVoiceSample)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

// ■: from reset() while speaking to the first silent buffer leaving the mixer.
void BM_StopToSilence(benchmark::State& state) {
    SoundRig rig;
    OpenJTalkEngine engine(rig.mixer, JTalkVoice::locate());
    if (!engine.create()) {
        state.SkipWithError("Open JTalk or its voice is not installed");
        return;
    }
    std::atomic<int64_t> quietNs{0};
    rig.mixer.setTap([&](const float* out, int frames) {
        bool loud = false;
        for (int i = 0; i < 2 * frames && !loud; ++i)
            loud = std::abs(out[i]) > 1e-3f;
        const int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
        if (loud) {
            int64_t zero = 0;
            rig.firstLoudNs.compare_exchange_strong(zero, now);
        } else if (quietNs.load() == 0 && rig.firstLoudNs.load() != 0) {
            quietNs = now;
        }
    });
    for (auto _ : state) {
        rig.firstLoudNs = 0;
        engine.speak(QStringLiteral("お降りの方はお知らせください。ご乗車ありがとうございます。"));
        bench::waitUntil([&] { return rig.firstLoudNs.load() != 0; });
        bench::waitMs(300);
        quietNs = 0;
        const auto stop = std::chrono::steady_clock::now();
        engine.reset();
        bench::waitUntil([&] { return quietNs.load() != 0; });
        const auto quiet = std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(quietNs.load()));
        state.SetIterationTime(std::chrono::duration<double>(quiet - stop).count());
    }
}
BENCHMARK(BM_StopToSilence)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

// A typical settings file: folders, sounds and a plug-in path in Japanese.
SettingsRecord typicalSettings() {
    SettingsRecord r;
    r.options.FareDataFolder = QStringLiteral("/home/運転士/ミナモ/運賃データ");
    r.options.BroadcastDataFolder = QStringLiteral("/home/運転士/ミナモ/放送データ");
    r.options.RouteSetSound = QStringLiteral("/home/運転士/ミナモ/音/系統設定.wav");
    r.options.StepSoundFile = QStringLiteral("/home/運転士/ミナモ/音/送り.wav");
    r.options.PluginPath = QStringLiteral("/home/運転士/ミナモ/整理券/ミナモ交通.4SP");
    return r;
}

// Owners that hold their blocks in memory: the file work alone is measured.
struct MemoryOwners : SettingsOwners {
    SettingsRecord r;
    void GetOptionInfo(Options& o) override { o = r.options; }
    void SetOptionInfo(const Options& o) override { r.options = o; }
    void GetCtrlDataInfo(CtrlDataInfo& c) override { c = r.ctrl; }
    void SetCtrlDataInfo(const CtrlDataInfo& c) override { r.ctrl = c; }
    void GetFormInfo(FormInfo& f) override { f = r.form; }
    void SetFormInfo(const FormInfo& f) override { r.form = f; }
    DegitCell GetDegitCell(int i) override { return r.degitCells[static_cast<size_t>(i - 1)]; }
    void ApplyElements(const SettingsRecord&) override {}
    void SetProp() override {}
};

void BM_SettingsLoad(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    MemoryOwners owners;
    owners.r = typicalSettings();
    SettingsRecord rec;
    mdlIniIoEx::SaveSettings(path, owners, rec);
    for (auto _ : state)
        if (!mdlIniIoEx::LoadSettings(path, owners, rec).ok)
            state.SkipWithError("load failed");
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMicrosecond);

void BM_SettingsSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    MemoryOwners owners;
    owners.r = typicalSettings();
    SettingsRecord rec;
    for (auto _ : state)
        if (!mdlIniIoEx::SaveSettings(path, owners, rec).ok)
            state.SkipWithError("save failed");
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApiLib::installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
