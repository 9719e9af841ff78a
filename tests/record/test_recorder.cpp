// Video files as players see them: streams, frame rate, start times and a decoded frame,
// checked with FFmpeg's own ffprobe and ffmpeg; a file cut off mid-recording still plays.
#include "RunTool.h"
#include "ImageCompare.h"
#include "Recorder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kRate = 44100;

// Faster than real time, so the encoder may lag: a queue that never drops.
Recorder::Settings settings(const QString& file, int zoom = 1) {
    Recorder::Settings s{file, QSize(582, 344), zoom, 30, kRate};
    s.maxQueuedFrames = 100000;
    return s;
}

// A board-sized picture whose colour tells the second it belongs to, with sharp dots.
QImage picture(int frame) {
    QImage img(582, 344, QImage::Format_ARGB32);
    const int second = frame / 30;
    img.fill(QColor::fromHsv((second * 70) % 360, 200, 220));
    QPainter p(&img);
    for (int x = 0; x < 582; x += 8)
        p.fillRect(x, 20, 4, 4, Qt::white);
    p.fillRect(10 + frame % 30 * 10, 100, 20, 20, Qt::black); // moves every frame
    return img;
}

// A 440 Hz tone, `frames` long, continuing from `start`.
std::vector<float> tone(int64_t start, int frames) {
    std::vector<float> s(2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] =
            0.3f * static_cast<float>(std::sin(2 * M_PI * 440 * (start + i) / kRate));
    return s;
}

// Feeds `seconds` of sound and the frames it makes due, as the recording session does.
void feed(Recorder& r, double seconds) {
    const int chunk = 512;
    int64_t done = static_cast<int64_t>(r.seconds() * kRate);
    const int64_t end = static_cast<int64_t>(seconds * kRate);
    int64_t last = -1;
    while (done < end) {
        const auto s = tone(done, chunk);
        r.addAudio(s.data(), chunk);
        done += chunk;
        const int64_t due = r.dueFrame();
        if (due > last) {
            r.addFrame(picture(static_cast<int>(due)), due);
            last = due;
        }
    }
}

QJsonObject probe(const QString& file) {
    return QJsonDocument::fromJson(
               runTool({QStringLiteral("ffprobe"), QStringLiteral("-v"), QStringLiteral("error"),
                        QStringLiteral("-show_streams"), QStringLiteral("-show_format"),
                        QStringLiteral("-of"), QStringLiteral("json"), file}))
        .object();
}

QJsonObject stream(const QJsonObject& probe, const char* type) {
    for (const auto& s : probe[QStringLiteral("streams")].toArray())
        if (s.toObject()[QStringLiteral("codec_type")].toString() == QLatin1String(type))
            return s.toObject();
    return {};
}

QImage frameAt(const QString& file, double seconds, const QString& out) {
    runTool({QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"),
             QStringLiteral("-y"), QStringLiteral("-ss"), QString::number(seconds),
             QStringLiteral("-i"), file, QStringLiteral("-frames:v"), QStringLiteral("1"), out});
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(Recorder, BothFormatsHoldPictureAndSoundFromTimeZeroAtThirtyFrames) {
    QTemporaryDir dir;
    for (const char* name : {"t.mp4", "t.webm"}) {
        const QString file = dir.filePath(QString::fromLatin1(name));
        Recorder r;
        ASSERT_TRUE(r.start(settings(file))) << r.error().toStdString();
        feed(r, 3.0);
        ASSERT_TRUE(r.stop()) << r.error().toStdString();
        EXPECT_EQ(r.dropped(), 0);
        EXPECT_EQ(r.repeated(), 0);

        const QJsonObject info = probe(file);
        const QJsonObject v = stream(info, "video"), a = stream(info, "audio");
        EXPECT_EQ(v[QStringLiteral("codec_name")].toString(),
                  QString::fromLatin1(QByteArray(name).endsWith("mp4") ? "h264" : "vp9"));
        EXPECT_EQ(a[QStringLiteral("codec_name")].toString(),
                  QString::fromLatin1(QByteArray(name).endsWith("mp4") ? "aac" : "opus"));
        EXPECT_EQ(v[QStringLiteral("r_frame_rate")].toString(), QStringLiteral("30/1")) << name;
        EXPECT_EQ(v[QStringLiteral("width")].toInt(), 582);
        EXPECT_EQ(v[QStringLiteral("height")].toInt(), 344);
        EXPECT_NEAR(v[QStringLiteral("start_time")].toString().toDouble(),
                    a[QStringLiteral("start_time")].toString().toDouble(), 1.0 / 30)
            << name;
        EXPECT_NEAR(
            info[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble(), 3.0,
            0.1)
            << name;

        // The frame shown at 1.5 s is the one handed in for that time.
        const QImage got = frameAt(file, 1.5, dir.filePath(QStringLiteral("f.png")));
        ASSERT_EQ(got.size(), QSize(582, 344));
        EXPECT_LT(meanDifference(got, picture(45).convertToFormat(QImage::Format_RGB32)), 6.0)
            << name;
    }
}

TEST(Recorder, ZoomRepeatsPixelsSoDotsStaySharp) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("z.mp4"));
    Recorder r;
    ASSERT_TRUE(r.start(settings(file, 3)));
    feed(r, 1.0);
    ASSERT_TRUE(r.stop());
    const QImage got = frameAt(file, 0.5, dir.filePath(QStringLiteral("z.png")));
    ASSERT_EQ(got.size(), QSize(1746, 1032));
    // A 4-pixel white dot is 12 pixels wide, and the colour beside it is not smeared in.
    const QRgb inside = got.pixel(3 * 8 * 10 + 6, 3 * 20 + 6);
    EXPECT_GT(qGray(inside), 235);
    EXPECT_LT(qGray(got.pixel(3 * 8 * 10 - 3, 3 * 20 + 6)), 235);
}

TEST(Recorder, StalledCallerRepeatsPicturesAndAFullQueueDropsThem) {
    QTemporaryDir dir;
    Recorder r;
    Recorder::Settings s{dir.filePath(QStringLiteral("d.mp4")), QSize(582, 344), 1, 30, kRate};
    s.maxQueuedFrames = 1;
    ASSERT_TRUE(r.start(s));
    r.addFrame(picture(0), 0);
    r.addFrame(picture(5), 5); // frames 1-4 passed over: they repeat frame 0
    EXPECT_EQ(r.repeated(), 4);
    for (int i = 6; i < 200; ++i)
        r.addFrame(picture(i), i);
    EXPECT_GT(r.dropped(), 0); // one frame of queue cannot keep up with a burst
    EXPECT_EQ(r.frames() + r.dropped(), 200);
    const auto sound = tone(0, kRate * 7);
    r.addAudio(sound.data(), kRate * 7);
    EXPECT_TRUE(r.stop()) << r.error().toStdString();
}

TEST(Recorder, AFileCutOffWhileRecordingPlaysUpToItsLastSecond) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("c.mp4"));
    const QString cut = dir.filePath(QStringLiteral("cut.mp4"));
    Recorder r;
    ASSERT_TRUE(r.start(settings(file)));
    feed(r, 4.0);
    // The file as a crash at this moment would leave it, once the encoding thread has
    // caught up: copied before it is finished.
    for (int i = 0; i < 1000 && r.pending() > 0; ++i)
        QThread::msleep(10);
    ASSERT_EQ(r.pending(), 0u);
    ASSERT_TRUE(QFile::copy(file, cut));
    r.stop();
    const QJsonObject info = probe(cut);
    const double seconds =
        info[QStringLiteral("format")][QStringLiteral("duration")].toString().toDouble();
    EXPECT_GE(seconds, 2.9);
    EXPECT_EQ(stream(info, "video")[QStringLiteral("codec_name")].toString(),
              QStringLiteral("h264"));
}

TEST(Recorder, UnknownExtensionIsRefusedWithAReason) {
    QTemporaryDir dir;
    Recorder r;
    EXPECT_FALSE(r.start({dir.filePath(QStringLiteral("x.avi")), QSize(582, 344), 1, 30, kRate}));
    EXPECT_TRUE(r.error().contains(QStringLiteral(".mp4")));
    EXPECT_FALSE(r.start({QStringLiteral("/no/such/dir/x.mp4"), QSize(582, 344), 1, 30, kRate}));
    EXPECT_FALSE(r.error().isEmpty());
}
