// The channel commands, as tables: what each PlaySnd and CloseAllSnd sends, in order.
#include "mdlSndAPI.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ChannelCommands : public ::testing::Test {
  protected:
    QString touch(const QString& name) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        return path;
    }
    QStringList sent;
    std::vector<int> sleeps;
    QTemporaryDir dir;
    mdlSndAPI api{QStringLiteral("527"), [this](const QString& c) { sent << c; },
                  [this](int ms) { sleeps.push_back(ms); }};
};

} // namespace

TEST_F(ChannelCommands, AnEmptyOrMissingFileOrAFolderSendsNothingAtAll) {
    api.PlaySnd(QString(), Channel::S1, false, 0);
    api.PlaySnd(dir.filePath(QStringLiteral("gone.wav")), Channel::S1, true, 0);
    // A folder named like a sound is no sound file: the channel's sound goes on.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("x.wav")));
    api.PlaySnd(dir.filePath(QStringLiteral("x.wav")), Channel::S1, false, 0);
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(ChannelCommands, TheExtensionChoosesTheDevice) {
    const struct {
        const char* name;
        const char* type; // nullptr: the channel is closed and nothing plays
    } cases[] = {
        {"a.wav", "waveaudio"}, {"b.WAV", "waveaudio"}, {"c.Wav", "waveaudio"},
        {"d.mid", "sequencer"}, {"e.MID", "sequencer"}, {"f.midi", nullptr},
        {"g.mp3", nullptr},     {"h.wave", nullptr},
    };
    for (const auto& c : cases) {
        sent.clear();
        const QString path = touch(QString::fromLatin1(c.name));
        api.PlaySnd(path, Channel::S2, false, 0);
        if (!c.type) {
            EXPECT_EQ(sent, QStringList{QStringLiteral("close 527S2")}) << c.name;
            continue;
        }
        EXPECT_EQ(sent,
                  (QStringList{QStringLiteral("close 527S2"),
                               QStringLiteral("open \"%1\" type %2 alias 527S2 wait")
                                   .arg(path, QString::fromLatin1(c.type)),
                               QStringLiteral("stop 527S2"), QStringLiteral("play 527S2 from 0")}))
            << c.name;
    }
}

TEST_F(ChannelCommands, SynchronousPlayWaitsThenPauses) {
    const QString path = touch(QStringLiteral("フォルダ 名/チャイム 1.wav"));
    api.PlaySnd(path, Channel::S3, true, 250);
    EXPECT_EQ(sent,
              (QStringList{QStringLiteral("close 527S3"),
                           QStringLiteral("open \"%1\" type waveaudio alias 527S3 wait").arg(path),
                           QStringLiteral("play 527S3 from 0 wait")}));
    EXPECT_EQ(sleeps, std::vector<int>{250});
    // Asynchronous plays yield once instead.
    api.PlaySnd(path, Channel::S3, false, 250);
    EXPECT_EQ(sleeps, (std::vector<int>{250, 0}));
}

TEST_F(ChannelCommands, CloseAllSendsFourClosesAndTheLogKeepsTheLast64) {
    api.CloseAllSnd();
    EXPECT_EQ(sent, (QStringList{QStringLiteral("close 527S1"), QStringLiteral("close 527S2"),
                                 QStringLiteral("close 527S3"), QStringLiteral("close 527S4")}));
    for (int i = 0; i < 20; ++i)
        api.CloseAllSnd();
    const QStringList recent = api.recentCommands();
    ASSERT_EQ(recent.size(), 64);
    EXPECT_EQ(recent.last(), QStringLiteral("close 527S4"));
    EXPECT_EQ(recent.first(), QStringLiteral("close 527S1"));
}
