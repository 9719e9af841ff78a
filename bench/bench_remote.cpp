// The control server against the real program on loopback: from a client's `next` to the
// `stop` event it causes (median and 95th percentile), and a client sending 1,000
// commands a second for ten seconds (none may be lost; the UI's longest stall meanwhile).
#include "Cp932.h"
#include "Form1.h"
#include "ServerWorker.h"
#include "mdl527_000.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebSocket>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

namespace {

bool spinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// The simulator serving on a free port, a route set, and one client connected.
struct Served {
    QTemporaryDir dir;
    QProcess process;
    QWebSocket socket;
    std::vector<QJsonObject> got;
    int id = 0;

    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SIMULATOR),
                      {QStringLiteral("--unattended"), QStringLiteral("--settings"),
                       dir.filePath(QStringLiteral("b.in4")), QStringLiteral("--serve"),
                       QStringLiteral("0"), QStringLiteral("--script"), QStringLiteral("-")});
        QString out;
        static const QRegularExpression url(QStringLiteral("control server: (ws://\\S+)"));
        if (!spinUntil(
                [&] {
                    process.waitForReadyRead(20);
                    out += QString::fromUtf8(process.readAllStandardOutput());
                    return url.match(out).hasMatch();
                },
                20000))
            return false;
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& m) {
            got.push_back(QJsonDocument::fromJson(m.toUtf8()).object());
        });
        socket.open(QUrl(url.match(out).captured(1)));
        if (!spinUntil([&] { return !got.empty(); }, 10000))
            return false;
        process.write(
            QStringLiteral("option FareDataFolder %1\n").arg(QStringLiteral(DEMO_DIR)).toUtf8());
        for (const char* line : {"key route", "key 1", "key section", "key 1", "reset keypad"})
            if (!run(QString::fromLatin1(line)))
                return false;
        return true;
    }
    ~Served() {
        process.write("quit\n");
        if (!process.waitForFinished(10000))
            process.kill();
    }
    void send(const QString& line) {
        socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("id"), ++id}, {QStringLiteral("run"), line}})
                .toJson(QJsonDocument::Compact)));
    }
    bool answered(int which) const {
        return std::any_of(got.begin(), got.end(), [&](const QJsonObject& m) {
            return m.contains(QStringLiteral("ok")) && m[QStringLiteral("id")].toInt() == which;
        });
    }
    bool run(const QString& line) {
        send(line);
        return spinUntil([&] { return answered(id); }, 20000);
    }
};

void BM_RemoteNextToStopEvent(benchmark::State& state) {
    Served s;
    if (!s.start()) {
        state.SkipWithError("the simulator did not serve");
        return;
    }
    std::vector<double> ms;
    bool forward = true;
    for (auto _ : state) {
        const size_t before = s.got.size();
        QElapsedTimer t;
        t.start();
        s.send(forward ? QStringLiteral("next") : QStringLiteral("back"));
        forward = !forward;
        spinUntil(
            [&] {
                for (size_t i = before; i < s.got.size(); ++i)
                    if (s.got[i][QStringLiteral("event")] == QStringLiteral("stop"))
                        return true;
                return false;
            },
            5000);
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        state.SetIterationTime(ms.back() / 1000);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_RemoteNextToStopEvent)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

void BM_RemoteThousandCommandsASecond(benchmark::State& state) {
    Served s;
    if (!s.start()) {
        state.SkipWithError("the simulator did not serve");
        return;
    }
    for (auto _ : state) {
        const int first = s.id + 1;
        QElapsedTimer t;
        t.start();
        // One command a millisecond, paced by the clock, for ten seconds.
        for (int i = 0; i < 10000; ++i) {
            while (t.elapsed() < i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            s.send(QStringLiteral("speed %1").arg(1 + i % 2000));
        }
        const int last = s.id;
        spinUntil([&] { return s.answered(last); }, 30000);
        int answers = 0;
        for (const QJsonObject& m : s.got)
            if (m.contains(QStringLiteral("ok")) && m[QStringLiteral("id")].toInt() >= first)
                ++answers;
        state.counters["lost"] = 10000 - answers;
        s.run(QStringLiteral("state"));
        const QJsonObject dump = s.got.back()[QStringLiteral("result")].toObject();
        state.counters["longest_stall_ms"] =
            dump[QStringLiteral("ui")].toObject()[QStringLiteral("longestStallMs")].toDouble();
    }
}
BENCHMARK(BM_RemoteThousandCommandsASecond)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

namespace {

// One board picture as the pages receive it: PNG at 1x, on the server's thread.
void BM_BoardFrameEncodePng(benchmark::State& state) {
    Form1 board;
    mdl527_000::ClearFares(board);
    board.showStopName(cp932::encode(QStringLiteral("中央総合病院西口バスターミナル")), 0, 0);
    for (int n = 1; n <= 12; ++n)
        board.showFare(n, DigitValue::number(180 + 10 * n));
    const QImage frame = board.snapshot().convertToFormat(QImage::Format_ARGB32);
    // The picture before one step of the stop-name line: its 432 x 56 dots elsewhere.
    QImage before = frame.copy();
    const QImage line = frame.copy(QRect(75, 258, 432, 56));
    QPainter(&before).drawImage(78, 258, line);
    // 0: a whole picture (a page joining); 1: what a step of the stop-name line changes.
    const bool whole = state.range(0) == 0;
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = ServerWorker::encodeFrame(frame, whole ? QImage() : before).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BoardFrameEncodePng)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Pages receiving the board while a long name scrolls: pictures a second at each page,
// and the desktop's longest stall meanwhile. The argument is the number of pages.
void BM_BoardFramesToPages(benchmark::State& state) {
    Served s;
    if (!s.start()) {
        state.SkipWithError("the simulator did not serve");
        return;
    }
    // Row 10 of the demo route has a name longer than the line: it scrolls.
    s.run(QStringLiteral("speed 20"));
    s.run(QStringLiteral("interval 0"));
    for (int i = 0; i < 9; ++i)
        s.run(QStringLiteral("next"));
    const QUrl url = s.socket.requestUrl().resolved(QUrl(QStringLiteral("/frames")));
    std::vector<std::unique_ptr<QWebSocket>> pages;
    std::vector<int> received(static_cast<size_t>(state.range(0)), 0);
    for (int i = 0; i < state.range(0); ++i) {
        pages.push_back(std::make_unique<QWebSocket>());
        QObject::connect(pages.back().get(), &QWebSocket::binaryMessageReceived,
                         [&received, i](const QByteArray&) { ++received[static_cast<size_t>(i)]; });
        pages.back()->open(url);
    }
    spinUntil(
        [&] { return std::all_of(received.begin(), received.end(), [](int n) { return n > 0; }); },
        10000);
    for (auto _ : state) {
        std::fill(received.begin(), received.end(), 0);
        QElapsedTimer t;
        t.start();
        spinUntil([&] { return false; }, 3000);
        const double seconds = static_cast<double>(t.elapsed()) / 1000;
        state.counters["fps_per_page"] =
            *std::min_element(received.begin(), received.end()) / seconds;
    }
    s.run(QStringLiteral("state"));
    state.counters["longest_stall_ms"] = s.got.back()[QStringLiteral("result")]
                                             .toObject()[QStringLiteral("ui")]
                                             .toObject()[QStringLiteral("longestStallMs")]
                                             .toDouble();
}
BENCHMARK(BM_BoardFramesToPages)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
