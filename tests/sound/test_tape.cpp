// The announcement player against a recording speech engine: the list, the position, the
// chimes and the failures of loading a broadcast file.
#include "BroadcastFile.h"
#include "Options.h"
#include "Readings.h"
#include "Recorders.h"
#include "SpeechEngine.h"
#include "mdlM_Tape.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordingEngine : public SpeechEngine {
  public:
    QStringList log;
    bool works = true;
    int statusValue = 0;
    bool create() override { return works; }
    void speak(const QString& t) override { log << QStringLiteral("speak ") + t; }
    void reset() override { log << QStringLiteral("reset"); }
    int status() override { return statusValue; }
    bool speaking() const override { return false; }
    void settingsDialog(const QString& title) override { log << QStringLiteral("dialog ") + title; }
    QStringList spoken() const { return log.filter(QStringLiteral("speak ")); }
    void prepare(const QString& t) override { prepared << t; }
    QStringList prepared;
};

class TapeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        options.PreSoundFixed = 0;
        options.PreSoundByFlag = -1;
        options.PreSound1 = QStringLiteral("c1.wav");
        options.PreSound2 = QStringLiteral("c2.wav");
        options.PreSound3 = QStringLiteral("c3.wav");
        options.PreSoundFile = QStringLiteral("fixed.wav");
        ASSERT_TRUE(tape.InitSpeech());
    }
    void file(const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    bool load(const char* route = "7") {
        return tape.LoadTape(dir.path() + QLatin1Char('/'), QString::fromLatin1(route));
    }
    QStringList chimes() const {
        QStringList out;
        for (const auto& c : sound.calls)
            out << c.alias + QLatin1Char(' ') + c.file +
                       (c.wait ? QStringLiteral(" wait") : QString());
        return out;
    }

    QTemporaryDir dir;
    Options options;
    RecordingSound sound;
    RecordingEngine engine;
    mdlM_Tape tape{engine, sound, options, [] { return QStringLiteral("Linux 6.1"); }};
};

} // namespace

TEST(BroadcastFile, LinesAndFields) {
    const struct {
        const char* line;
        bool ok;
        const char* text;
        int advance, sound;
    } cases[] = {
        {"次は市役所前です,1,2", true, "次は市役所前です", 1, 2},
        {"  \"次は、中央公園です。公園, 美術館へ\",1,3", true, "次は、中央公園です。公園, 美術館へ",
         1, 3},
        {"ご乗車ありがとうございます,,", true, "ご乗車ありがとうございます", 0, 0},
        {"text, 1 , 2", true, "text", 1, 2},
        {"text,1", false, "", 0, 0},
        {"text,x,2", false, "", 0, 0},
        {"text,40000,2", false, "", 0, 0},
        {"\"unclosed,1,2", false, "", 0, 0},
    };
    for (const auto& c : cases) {
        const auto e = broadcast::parseLine(QString::fromUtf8(c.line));
        ASSERT_EQ(e.has_value(), c.ok) << c.line;
        if (!e)
            continue;
        EXPECT_EQ(e->Text, QString::fromUtf8(c.text)) << c.line;
        EXPECT_EQ(e->AdvanceFlag, c.advance) << c.line;
        EXPECT_EQ(e->SoundFlag, c.sound) << c.line;
    }
    const auto lines = broadcast::lines(std::string_view("a,1,2\r\nb,0,0\nc,1,1"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], QStringLiteral("b,0,0"));

    // What keeps a file from loading is named by its line: a blank line at the end is
    // the one users trip over.
    EXPECT_TRUE(broadcast::problems("a,1,2\r\nb,0,0\r\n").empty());
    const auto found = broadcast::problems("a,1,2\r\nb,x,0\r\n\r\n");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].startsWith(QStringLiteral("line 2: not text"))) << found[0].toStdString();
    EXPECT_TRUE(found[1].startsWith(QStringLiteral("line 3: empty line")))
        << found[1].toStdString();
    EXPECT_EQ(broadcast::problems("").size(), 1u);
}

TEST_F(TapeTest, ThreeEntriesThenAFourthNextAndBackAtTheStart) {
    file(QStringLiteral("7tp.csv"), QByteArray("one,0,1\r\ntwo,0,2\r\nthree,1,3\r\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(tape.GetTapePos(), 0);
    // Back right after loading: position 1, nothing spoken.
    tape.TapeBack();
    EXPECT_EQ(tape.GetTapePos(), 1);
    EXPECT_TRUE(engine.spoken().isEmpty());
    ASSERT_TRUE(load());
    for (int i = 0; i < 4; ++i)
        tape.TapeNext();
    EXPECT_EQ(engine.spoken(),
              (QStringList{QStringLiteral("speak one"), QStringLiteral("speak two"),
                           QStringLiteral("speak three")}));
    EXPECT_EQ(tape.GetTapePos(), 3); // the fourth holds at the end
    EXPECT_EQ(tape.GetAdvanceFlag(3), 1);
    EXPECT_EQ(tape.GetAdvanceFlag(4), 0);
    EXPECT_EQ(tape.lastText(), QStringLiteral("three"));
    // Each entry is preceded by a reset of what was still being said.
    EXPECT_EQ(engine.log.mid(0, 2),
              (QStringList{QStringLiteral("reset"), QStringLiteral("speak one")}));
}

TEST_F(TapeTest, ChimesFixedForwardByFlagBackward) {
    file(QStringLiteral("7TP.CSV"), QByteArray("a,0,1\r\nb,0,0\r\nc,0,4\r\nd,0,3\r\n"));
    ASSERT_TRUE(load()); // found without regard to case
    options.PreSoundFixed = -1;
    options.PreSoundSync = -1;
    tape.TapeNext();
    tape.TapeNext();
    EXPECT_EQ(chimes(), (QStringList{QStringLiteral("S3 fixed.wav wait"),
                                     QStringLiteral("S3 fixed.wav wait")}));
    sound.calls.clear();
    options.PreSoundFixed = 0;
    options.PreSoundSync = 0;
    tape.TapeNext(); // flag 4: silent
    tape.TapeNext(); // flag 3
    EXPECT_EQ(chimes(), QStringList{QStringLiteral("S3 c3.wav")});
    sound.calls.clear();
    options.PreSoundFixed = -1; // stepping back never plays the fixed one
    tape.TapeBack();            // c: flag 4
    tape.TapeBack();            // b: flag 0
    tape.TapeBack();            // a: flag 1
    EXPECT_EQ(chimes(), QStringList{QStringLiteral("S2 c1.wav")});
    EXPECT_EQ(engine.spoken().size(), 7);
}

TEST_F(TapeTest, AShorterFileReplacesTheListWhole) {
    QByteArray ten, five;
    for (int i = 1; i <= 10; ++i)
        ten += QByteArray("t") + QByteArray::number(i) + ",0,0\r\n";
    for (int i = 1; i <= 5; ++i)
        five += QByteArray("f") + QByteArray::number(i) + ",0,0\n";
    file(QStringLiteral("1tp.csv"), ten);
    file(QStringLiteral("2tp.csv"), five);
    ASSERT_TRUE(load("1"));
    ASSERT_TRUE(load("2"));
    EXPECT_EQ(tape.GetTapeCount(), 5);
    for (int i = 0; i < 7; ++i)
        tape.TapeNext();
    EXPECT_EQ(engine.spoken().size(), 5);
    EXPECT_EQ(engine.spoken().last(), QStringLiteral("speak f5"));
}

TEST_F(TapeTest, LoadFailuresKeepOrCutTheListAsTheFileWasRead) {
    file(QStringLiteral("1tp.csv"), QByteArray("a,0,0\r\nb,1,0\r\nc,0,0\r\n"));
    ASSERT_TRUE(load("1"));
    tape.TapeNext();
    // No file: the old list and position stay.
    EXPECT_FALSE(load("99"));
    EXPECT_EQ(tape.GetTapeCount(), 3);
    EXPECT_EQ(tape.GetTapePos(), 1);
    // A bad number on line 2: the new list keeps line 1, the position is the failing line.
    file(QStringLiteral("2tp.csv"), QByteArray("x,0,0\r\ny,one,0\r\nz,0,0\r\n"));
    EXPECT_FALSE(load("2"));
    EXPECT_EQ(tape.GetTapeCount(), 3);
    EXPECT_EQ(tape.entries()[0].Text, QStringLiteral("x"));
    EXPECT_EQ(tape.entries()[1].Text, QString());
    EXPECT_EQ(tape.GetTapePos(), 2);
    // An empty file fails too; a missing field reads past the line.
    file(QStringLiteral("3tp.csv"), QByteArray());
    EXPECT_FALSE(load("3"));
    EXPECT_EQ(tape.GetTapeCount(), 0);
    file(QStringLiteral("4tp.csv"), QByteArray("only text\r\n"));
    EXPECT_FALSE(load("4"));
}

TEST_F(TapeTest, NoEngineOrTheNamedSystemLeavesSpeechOff) {
    RecordingEngine broken;
    broken.works = false;
    mdlM_Tape a(broken, sound, options, [] { return QStringLiteral("Linux"); });
    EXPECT_FALSE(a.InitSpeech());
    mdlM_Tape b(engine, sound, options, [] { return QStringLiteral("Windows Vista"); });
    EXPECT_FALSE(b.InitSpeech());
    file(QStringLiteral("7tp.csv"), QByteArray("a,0,0\r\n"));
    EXPECT_FALSE(b.LoadTape(dir.path() + QLatin1Char('/'), QStringLiteral("7")));
    EXPECT_EQ(b.GetTapeCount(), 0);
    tape.TapeAdjust();
    EXPECT_EQ(engine.log.last(), QStringLiteral("dialog 音声の調節"));
    engine.statusValue = -1;
    file(QStringLiteral("8tp.csv"), QByteArray("a,0,0\r\n"));
    ASSERT_TRUE(load("8"));
    tape.TapeNext();
    EXPECT_EQ(engine.log.last(), QStringLiteral("reset")); // a status of -1 resets again
}

TEST(Readings, LongestWrittenFormFirstAndPieces) {
    const Readings r = Readings::fromBytes(std::string_view(
        "\xEF\xBB\xBF本町,ホンチョウ\n本町一丁目,ホンチョウイッチョウメ\n,x\nbad\n"));
    EXPECT_EQ(r.size(), 2u);
    EXPECT_EQ(r.apply(QStringLiteral("次は、本町一丁目です。本町通り")),
              QStringLiteral("次は、ホンチョウイッチョウメです。ホンチョウ通り"));
    const auto pieces =
        speechPieces(QStringLiteral("次は、市役所前です。お降りの方はお知らせください"));
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], QStringLiteral("次は、"));
    EXPECT_EQ(pieces[2], QStringLiteral("お降りの方はお知らせください"));
}

// The line the operator will most likely speak next is handed to the engine ahead: line 1
// when the route is set, then the line after each one spoken.
TEST_F(TapeTest, TheNextLineIsPreparedAheadOfItsTurn) {
    file(QStringLiteral("7tp.csv"), QByteArray("one,0,1\r\ntwo,0,2\r\nthree,1,3\r\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(engine.prepared, QStringList{QStringLiteral("one")});
    tape.TapeNext();
    tape.TapeNext();
    tape.TapeNext();
    EXPECT_EQ(engine.prepared, (QStringList{QStringLiteral("one"), QStringLiteral("two"),
                                            QStringLiteral("three")}));
}

// Starting at a later section, the list stands after the line that brought the board to
// that row: each stepping line is one row.
TEST(BroadcastFile, ThePositionForAStartRowCountsTheSteppingLines) {
    const std::vector<int> demo = {0, 1, 1, 1, 1}; // a welcome, then a line per stop
    EXPECT_EQ(broadcast::positionForRow(demo, 1), 0);
    EXPECT_EQ(broadcast::positionForRow(demo, 2), 2);
    EXPECT_EQ(broadcast::positionForRow(demo, 3), 3);
    EXPECT_EQ(broadcast::positionForRow(demo, 5), 5);
    EXPECT_EQ(broadcast::positionForRow(demo, 6), 0) << "too few lines: from the start";
    // A line in between that does not step is not counted.
    EXPECT_EQ(broadcast::positionForRow({0, 1, 0, 1, 1}, 3), 4);
    EXPECT_EQ(broadcast::positionForRow({}, 3), 0);
}
