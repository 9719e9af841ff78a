// What an export writes, from its name and options, and the caption tracks beside it.
#include "Captions.h"
#include "ExportFormat.h"

#include <gtest/gtest.h>

using namespace exportfmt;

TEST(ExportFormat, TheNameChoosesTheContainerAndTheOptionsAreChecked) {
    struct Row {
        const char* path;
        const char* zoom;
        const char* fps;
        const char* background;
        std::optional<Container> container; // none: refused
    };
    const Row rows[] = {
        {"trip.mp4", "1", "30", "panel", Container::Mp4},
        {"TRIP.MOV", "3", "60", "transparent", Container::Mov},
        {"overlay.webm", "4", "30", "lit", Container::Webm},
        {"frames/", "2", "60", "lit", Container::PngFolder},
        {"trip.avi", "1", "30", "panel", std::nullopt},
        {"trip.mov", "5", "30", "panel", std::nullopt},
        {"trip.mov", "0", "30", "panel", std::nullopt},
        {"trip.mov", "1", "25", "panel", std::nullopt},
        {"trip.mov", "1", "30", "glass", std::nullopt},
        // An MP4 has no alpha: a transparent export into it would lose what was asked.
        {"trip.mp4", "1", "30", "transparent", std::nullopt},
    };
    for (const Row& r : rows) {
        const auto got = parse(QString::fromLatin1(r.path), QString::fromLatin1(r.zoom),
                               QString::fromLatin1(r.fps), QString::fromLatin1(r.background));
        if (!r.container) {
            EXPECT_TRUE(std::holds_alternative<QString>(got))
                << r.path << " " << r.zoom << " " << r.fps << " " << r.background;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Options>(got)) << std::get<QString>(got).toStdString();
        EXPECT_EQ(std::get<Options>(got).container, *r.container) << r.path;
    }
    EXPECT_FALSE(keepsAlpha(Container::Mp4));
    EXPECT_TRUE(keepsAlpha(Container::Mov));
    EXPECT_TRUE(keepsAlpha(Container::PngFolder));
}

TEST(ExportFormat, FrameKShowsTheFirstMillisecondAtOrAfterKOverFps) {
    EXPECT_EQ(frameTimeMs(0, 30), 0);
    EXPECT_EQ(frameTimeMs(1, 30), 34);
    EXPECT_EQ(frameTimeMs(3, 30), 100);
    EXPECT_EQ(frameTimeMs(180, 30), 6000);
    EXPECT_EQ(frameTimeMs(1, 60), 17);
    EXPECT_EQ(frameTimeMs(60, 60), 1000);
    // A trip of 94,965 ms holds frames 0 to 2,848 at 30 fps.
    EXPECT_EQ(framesIn(94965, 30), 2849);
    EXPECT_LE(frameTimeMs(framesIn(94965, 30) - 1, 30), 94965);
    EXPECT_GT(frameTimeMs(framesIn(94965, 30), 30), 94965);
}

TEST(Captions, CuesFollowOneAnotherAndAreWrittenAsSubRipAndWebVtt) {
    CaptionTrack t(QStringLiteral("放送"));
    t.close(100); // nothing open: nothing happens
    t.open(4600, QStringLiteral("ご乗車ありがとうございます。"));
    t.close(9371);
    t.open(12200, QStringLiteral("次は、大通りです。\n\nお降りの方はお知らせください。"));
    t.open(13000, QStringLiteral("次は、水道局前です。")); // cuts the one before
    t.open(13000, QStringLiteral("cut before it sounded"));
    t.open(13000, QStringLiteral("次は、川端町です。"));
    t.close(3723045);
    ASSERT_EQ(t.cues().size(), 3u);
    EXPECT_EQ(t.cues()[1].endMs, 13000);
    EXPECT_EQ(t.srt(),
              QStringLiteral("1\n00:00:04,600 --> 00:00:09,371\nご乗車ありがとうございます。\n\n"
                             "2\n00:00:12,200 --> 00:00:13,000\n次は、大通りです。\n"
                             "お降りの方はお知らせください。\n\n"
                             "3\n00:00:13,000 --> 01:02:03,045\n次は、川端町です。\n\n"));
    EXPECT_TRUE(
        t.vtt().startsWith(QStringLiteral("WEBVTT - 放送\n\n00:00:04.600 --> 00:00:09.371\n")));
}
