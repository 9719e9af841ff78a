// A trip exported as a video on virtual time: each format as a player probes it, the
// alpha where it is promised, frames that are the board's own pictures at their moments,
// the same bytes twice, captions beside, and nothing left by a cancelled export.
#include "RecordedSound.h"
#include "RunTool.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Route 1 from its first stop, two announcements: about ten seconds of trip.
const QByteArray kScript = "option FareDataFolder demo\n"
                           "option BroadcastDataFolder demo\n"
                           "option RouteSetSound demo/sounds/route_set.wav\n"
                           "option PreSound1 demo/sounds/chime.wav\n"
                           "option PreSound2 demo/sounds/step.wav\n"
                           "apply\n"
                           "key route\nkey 1\nkey section\nkey 1\nreset keypad\n"
                           "tape next\nwait 1500\ntape next\nwait 4000\n";

struct Export {
    int exitCode = -1;
    QString err;
};

// The simulator exporting `target` from `script`, off screen, from the project folder (the
// demo's scripts name its files from there).
void startExport(QProcess& p, const QString& target, const QString& settings, const QString& script,
                 const QStringList& extra = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QStringLiteral(DEMO_DIR "/.."));
    p.start(QStringLiteral(SIMULATOR),
            QStringList{QStringLiteral("--export"), target, QStringLiteral("--settings"), settings,
                        QStringLiteral("--script"), script} +
                extra);
}

Export runScript(const QString& dir, const QByteArray& script, const QString& target,
                 const QStringList& extra = {}) {
    QFile f(dir + QStringLiteral("/trip.script"));
    f.open(QIODevice::WriteOnly);
    f.write(script);
    f.close();
    QProcess p;
    startExport(p, target, dir + QStringLiteral("/s.in4"), dir + QStringLiteral("/trip.script"),
                extra);
    Export e;
    if (!p.waitForFinished(180000))
        return e;
    e.exitCode = p.exitCode();
    e.err = QString::fromUtf8(p.readAllStandardError());
    return e;
}

Export runExport(const QString& dir, const QString& target, const QStringList& extra = {},
                 const QByteArray& more = {}) {
    return runScript(dir, kScript + more, target, extra);
}

// The cues of a SubRip file as (start, end) in seconds.
std::vector<std::pair<double, double>> cueTimes(const QString& srt) {
    QFile f(srt);
    f.open(QIODevice::ReadOnly);
    static const QRegularExpression time(
        QStringLiteral(R"((\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d))"));
    std::vector<std::pair<double, double>> out;
    for (auto it = time.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        auto at = [&](int k) {
            return m.captured(k).toInt() * 3600.0 + m.captured(k + 1).toInt() * 60.0 +
                   m.captured(k + 2).toInt() + m.captured(k + 3).toInt() / 1000.0;
        };
        out.emplace_back(at(1), at(5));
    }
    return out;
}

QJsonObject probe(const QString& file) {
    return QJsonDocument::fromJson(
               runTool({QStringLiteral("ffprobe"), QStringLiteral("-v"), QStringLiteral("error"),
                        QStringLiteral("-count_frames"), QStringLiteral("-show_streams"),
                        QStringLiteral("-show_format"), QStringLiteral("-of"),
                        QStringLiteral("json"), file}))
        .object();
}

QJsonObject stream(const QJsonObject& info, const char* type) {
    for (const auto& s : info[QStringLiteral("streams")].toArray())
        if (s.toObject()[QStringLiteral("codec_type")].toString() == QLatin1String(type))
            return s.toObject();
    return {};
}

// Frame `index` decoded to a PNG with its alpha (VP9's alpha needs libvpx's decoder).
QImage decodedFrame(const QString& file, int index, const QString& out, bool vp9) {
    QStringList args{QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"),
                     QStringLiteral("-y")};
    if (vp9)
        args << QStringLiteral("-c:v") << QStringLiteral("libvpx-vp9");
    args << QStringLiteral("-i") << file << QStringLiteral("-vf")
         << QStringLiteral("select=eq(n\\,%1)").arg(index) << QStringLiteral("-frames:v")
         << QStringLiteral("1") << QStringLiteral("-pix_fmt") << QStringLiteral("rgba") << out;
    runTool(args);
    return QImage(out).convertToFormat(QImage::Format_ARGB32);
}

void expectFramesAndSoundInStep(const QJsonObject& info, int fps) {
    const QJsonObject v = stream(info, "video"), a = stream(info, "audio");
    const int frames = v[QStringLiteral("nb_read_frames")].toString().toInt();
    // WebM keeps no length per stream: the file's is the longer of the two.
    const QString whole = info[QStringLiteral("format")][QStringLiteral("duration")].toString();
    const double videoSeconds = v[QStringLiteral("duration")].toString(whole).toDouble();
    const double audioSeconds = a[QStringLiteral("duration")].toString(whole).toDouble();
    EXPECT_GT(frames, 8 * fps);
    EXPECT_NEAR(videoSeconds, static_cast<double>(frames) / fps, 0.5 / fps);
    EXPECT_NEAR(audioSeconds, videoSeconds, 1.0 / fps);
}

// Corners outside the rounded board are transparent, its middle opaque; VP9 codes its
// alpha with loss, so a corner of a pixel or two keeps a trace (`lossy`).
void expectRoundedAlpha(const QImage& img, int lossy = 0) {
    ASSERT_FALSE(img.isNull());
    EXPECT_LE(qAlpha(img.pixel(0, 0)), lossy);
    EXPECT_LE(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), lossy);
    EXPECT_GE(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255 - lossy);
}

QByteArray hashFolder(const QString& dir) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    for (const QString& n : names) {
        QFile f(QDir(dir).filePath(n));
        f.open(QIODevice::ReadOnly);
        h.addData(n.toUtf8());
        h.addData(f.readAll());
    }
    return h.result();
}

} // namespace

TEST(Export, EachFormatHoldsItsCodecsItsAlphaAndFramesInStepWithTheSound) {
    QTemporaryDir dir;
    const QString mp4 = dir.filePath(QStringLiteral("trip.mp4"));
    Export e = runExport(dir.path(), mp4);
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    QJsonObject info = probe(mp4);
    EXPECT_EQ(stream(info, "video")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("h264"));
    EXPECT_EQ(stream(info, "audio")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("aac"));
    expectFramesAndSoundInStep(info, 30);
    EXPECT_TRUE(e.err.contains(QStringLiteral("real time"))) << e.err.toStdString();

    const QString mov = dir.filePath(QStringLiteral("trip.mov"));
    e = runExport(dir.path(), mov,
                  {QStringLiteral("--export-background"), QStringLiteral("transparent")});
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    info = probe(mov);
    const QJsonObject prores = stream(info, "video");
    EXPECT_EQ(prores[QStringLiteral("codec_name")].toString(), QStringLiteral("prores"));
    EXPECT_TRUE(prores[QStringLiteral("pix_fmt")].toString().startsWith(QStringLiteral("yuva444p")))
        << prores[QStringLiteral("pix_fmt")].toString().toStdString();
    EXPECT_EQ(stream(info, "audio")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("pcm_s16le"));
    expectFramesAndSoundInStep(info, 30);
    expectRoundedAlpha(decodedFrame(mov, 100, dir.filePath(QStringLiteral("mov.png")), false));

    const QString webm = dir.filePath(QStringLiteral("trip.webm"));
    e = runExport(dir.path(), webm,
                  {QStringLiteral("--export-background"), QStringLiteral("transparent"),
                   QStringLiteral("--export-fps"), QStringLiteral("60")});
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    info = probe(webm);
    EXPECT_EQ(stream(info, "video")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("vp9"));
    EXPECT_EQ(stream(info, "audio")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("opus"));
    expectFramesAndSoundInStep(info, 60);
    expectRoundedAlpha(decodedFrame(webm, 200, dir.filePath(QStringLiteral("webm.png")), true), 12);

    // Captions beside each: the two announcements, the stops as shown.
    QFile srt(dir.filePath(QStringLiteral("trip.announcements.srt")));
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    const QString cues = QString::fromUtf8(srt.readAll());
    EXPECT_TRUE(cues.contains(QStringLiteral("ご乗車ありがとうございます")));
    EXPECT_TRUE(cues.contains(QStringLiteral("2\n00:00:")));
    QFile vtt(dir.filePath(QStringLiteral("trip.stops.vtt")));
    ASSERT_TRUE(vtt.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(vtt.readAll()).startsWith(QStringLiteral("WEBVTT - 停留所名")));
}

TEST(Export, FramesAreTheBoardsOwnPicturesAtTheirMomentsAndRepeatToTheByte) {
    QTemporaryDir dir;
    const QString snap = dir.filePath(QStringLiteral("at6s.png"));
    const QByteArray at6 = "at 00:06 snapshot board " + snap.toUtf8() + "\n";
    const QString a = dir.filePath(QStringLiteral("a/")), b = dir.filePath(QStringLiteral("b/"));
    const QStringList transparent{QStringLiteral("--export-background"),
                                  QStringLiteral("transparent")};
    Export e = runExport(dir.path(), a, transparent, at6);
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    // Frame 180 shows the board at 6 s (the script's start is the export's).
    const QImage frame(QDir(a).filePath(QStringLiteral("frame-000180.png")));
    const QImage shot(snap);
    ASSERT_FALSE(frame.isNull());
    ASSERT_EQ(frame.size(), shot.size());
    EXPECT_EQ(frame.convertToFormat(QImage::Format_ARGB32),
              shot.convertToFormat(QImage::Format_ARGB32));
    expectRoundedAlpha(frame.convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(QFile::exists(QDir(a).filePath(QStringLiteral("audio.wav"))));
    e = runExport(dir.path(), b, transparent, at6);
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    EXPECT_EQ(hashFolder(a), hashFolder(b));
}

TEST(Export, EachAnnouncementsCueRunsFromItsVoicesFirstSampleToItsLast) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("trip/"));
    // No chimes, and each announcement heard to its end before the next: what sounds
    // around a cue is its voice alone.
    QByteArray script = kScript;
    script.replace("option PreSound1 demo/sounds/chime.wav\n", "option PreSound1 \n")
        .replace("option PreSound2 demo/sounds/step.wav\n", "option PreSound2 \n")
        .replace("wait 1500\n", "wait 7000\n")
        .replace("wait 4000\n", "wait 6000\n");
    const Export e = runScript(dir.path(), script, out);
    ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
    const RecordedChannel sound = leftChannel(QDir(out).filePath(QStringLiteral("audio.wav")));
    const auto cues = cueTimes(QDir(out).filePath(QStringLiteral("announcements.srt")));
    ASSERT_EQ(cues.size(), 2u);
    const auto n = static_cast<long>(sound.samples.size());
    auto heard = [&](long i) {
        return i >= 0 && i < n && sound.samples[static_cast<size_t>(i)] != 0;
    };
    // One period of the mixer (512 frames), and a cue's milliseconds.
    const long period = 512, ms = sound.rate / 1000 + 1;
    for (const auto& [start, end] : cues) {
        const auto s = static_cast<long>(start * sound.rate),
                   f = static_cast<long>(end * sound.rate);
        long first = s - period;
        while (first < n && !heard(first))
            ++first;
        long last = f + period;
        while (last > s && !heard(last))
            --last;
        EXPECT_LE(std::abs(first - s), period + ms) << start;
        EXPECT_LE(std::abs(last - f), period + ms) << end;
        EXPECT_GT(last - first, sound.rate) << "a second or more of voice";
    }
}

TEST(Export, OnlyWhatIsLitIsOpaqueInAnOverlay) {
    QTemporaryDir dir;
    const QString lit = dir.filePath(QStringLiteral("lit/")),
                  whole = dir.filePath(QStringLiteral("whole/"));
    ASSERT_EQ(
        runExport(dir.path(), lit, {QStringLiteral("--export-background"), QStringLiteral("lit")})
            .exitCode,
        0);
    ASSERT_EQ(runExport(dir.path(), whole,
                        {QStringLiteral("--export-background"), QStringLiteral("transparent")})
                  .exitCode,
              0);
    const QImage l = QImage(QDir(lit).filePath(QStringLiteral("frame-000180.png")))
                         .convertToFormat(QImage::Format_ARGB32);
    const QImage w = QImage(QDir(whole).filePath(QStringLiteral("frame-000180.png")))
                         .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(l.size(), w.size());
    int opaque = 0, clear = 0, differing = 0;
    for (int y = 0; y < l.height(); ++y)
        for (int x = 0; x < l.width(); ++x) {
            const QRgb p = l.pixel(x, y);
            opaque += qAlpha(p) == 255;
            clear += qAlpha(p) == 0;
            // What the overlay keeps is what the whole board shows there.
            differing += qAlpha(p) == 255 && (p & 0xFFFFFF) != (w.pixel(x, y) & 0xFFFFFF);
        }
    const int all = l.width() * l.height();
    EXPECT_GT(opaque, 500);            // the lit segments, the stop name, the labels
    EXPECT_GT(clear, all * 6 / 10);    // the panel and the unlit segments are gone
    EXPECT_LT(differing, opaque / 20); // edges of anti-aliased segments aside
}

TEST(Export, ACancelledExportLeavesNoFile) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("long.script")));
    f.open(QIODevice::WriteOnly);
    f.write(kScript + "wait 600000\n");
    f.close();
    const QString out = dir.filePath(QStringLiteral("long.mov"));
    QProcess p;
    startExport(p, out, dir.filePath(QStringLiteral("s.in4")), f.fileName());
    ASSERT_TRUE(p.waitForStarted(30000));
    QByteArray err;
    while (!err.contains("export: ") && p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        err += p.readAllStandardError();
    }
    ASSERT_TRUE(QFile::exists(out));
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("long.announcements.srt"))));
}
