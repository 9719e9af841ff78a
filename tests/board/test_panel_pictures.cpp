#include "BoardRig.h"
#include "FakeCompanion.h"
#include "Form1.h"
#include "Options.h"
#include "PanelPictures.h"
#include "mdl527_000.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PanelPictureTest : public ::testing::Test {
  protected:
    void SetUp() override { fake = &FakeCompanion::reset(); }
    QString picture(const char* name, QSize size, QColor c, const char* format) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(c);
        const QString path = dir.filePath(QString::fromLatin1(name));
        img.save(path, format);
        return path;
    }
    QColor shownAt(int x, int y) {
        return board.Picture().isNull() ? QColor() : board.Picture().pixelColor(x, y);
    }
    QColor labelColour() const { return QColor::fromRgba(board.model().labels[5].colour); }

    QTemporaryDir dir;
    FakeCompanion* fake = nullptr;
    BoardRig rig;
    Options& o = rig.options;
    Form1& board = rig.board;
};

} // namespace

TEST(PanelPictures, FileExistsCountsOnlyVisibleFiles) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("p.bmp")));
    f.open(QIODevice::WriteOnly);
    f.close();
    QFile h(dir.filePath(QStringLiteral(".hidden.bmp")));
    h.open(QIODevice::WriteOnly);
    h.close();
    EXPECT_TRUE(FileExists(f.fileName()));
    EXPECT_FALSE(FileExists(h.fileName()));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("none.bmp"))));
}

TEST(PanelPictures, ReasonsByErrorNumber) {
    EXPECT_TRUE(panelErrorReason(53).startsWith(QStringLiteral("　画像ファイルが見つからない")));
    EXPECT_EQ(panelErrorReason(76), panelErrorReason(75));
    EXPECT_EQ(panelErrorReason(68), panelErrorReason(57));
    EXPECT_TRUE(panelErrorReason(28).endsWith(QStringLiteral("frmCtl.Option4_Click()")));
    EXPECT_EQ(panelErrorReason(5), QString());
    EXPECT_EQ(panelErrorText(481), QStringLiteral("エラーです。\n\nエラーコード：481　指定した画像"
                                                  "の内容が不正です。この部分では扱えません。"));
}

TEST_F(PanelPictureTest, AutomaticPanelsShowTheBuiltInPictureAndChangeOnlyTheColour) {
    o.On1ImageFile = picture("red.bmp", {582, 344}, Qt::red, "BMP");
    o.On1User = -1; // counts only with individual panels
    const QImage builtIn = board.Picture();
    applyBacklight(o, board, 1);
    EXPECT_EQ(board.Picture(), builtIn);
    EXPECT_EQ(labelColour(), QColor(192, 255, 192));
    applyBacklight(o, board, 0);
    EXPECT_EQ(labelColour(), QColor(Qt::white));
}

TEST_F(PanelPictureTest, IndividualUserPanelForOneStateOnly) {
    o.PanelAuto = 0;
    o.PanelIndividual = -1;
    o.On1BuiltIn = 0;
    o.On1User = -1;
    o.On1ImageFile = picture("big.jpg", {700, 400}, Qt::blue, "JPEG");
    const QImage builtIn = board.imgRes(0);
    applyBacklight(o, board, 1);
    EXPECT_EQ(board.Picture().size(), QSize(700, 400)); // drawn from the corner, cut by the window
    EXPECT_LT(shownAt(10, 10).red(), 30);
    applyBacklight(o, board, 2);
    EXPECT_EQ(board.Picture(), builtIn);
}

TEST_F(PanelPictureTest, MissingFileKeepsThePictureSilently) {
    o.PanelIndividual = -1;
    o.On2User = -1;
    o.On2ImageFile = picture("gone.gif", {100, 100}, Qt::green, "BMP");
    QFile::remove(o.On2ImageFile);
    applyBacklight(o, board, 1);
    const QImage before = board.Picture();
    applyBacklight(o, board, 2);
    EXPECT_EQ(board.Picture(), before);
    EXPECT_TRUE(fake->messages.empty());
    EXPECT_EQ(labelColour(), QColor(192, 255, 192));
}

TEST_F(PanelPictureTest, InvalidContentReports481AndStillColoursTheNumbers) {
    o.PanelIndividual = -1;
    o.OffUser = -1;
    o.TicketColorOff = 0x0000FF;
    o.OffImageFile = dir.filePath(QStringLiteral("broken.jpg"));
    QFile f(o.OffImageFile);
    f.open(QIODevice::WriteOnly);
    f.write("this is not a picture");
    f.close();
    const QImage before = board.Picture();
    applyBacklight(o, board, 0);
    ASSERT_EQ(fake->messages.size(), 1u);
    EXPECT_EQ(fake->messages[0].title, QStringLiteral("エラー"));
    EXPECT_EQ(fake->messages[0].icon, MsgIcon::Error);
    EXPECT_TRUE(fake->messages[0].text.contains(QStringLiteral("エラーコード：481")));
    EXPECT_EQ(board.Picture(), before);
    EXPECT_EQ(labelColour(), QColor(255, 0, 0));
}

TEST_F(PanelPictureTest, SmallerPictureLeavesTheWindowColourShowing) {
    o.PanelIndividual = -1;
    o.OffUser = -1;
    o.OffImageFile = picture("small.bmp", {100, 50}, Qt::red, "BMP");
    applyBacklight(o, board, 0);
    const QImage shot = board.snapshot();
    EXPECT_EQ(shot.pixelColor(50, 25), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(300, 100), board.palette().color(QPalette::Window));
}
