// The options dialog as a view over the options model: lists, pickers, frames that follow
// their option buttons, and when the board sees a change.
#include "BoardRig.h"
#include "FakeCompanion.h"
#include "M_Degit.h"
#include "OptionLists.h"
#include "frmOption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class OptionDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = &FakeCompanion::reset();
        dlg.today = [] { return QDate(2026, 12, 7); };
        dlg.SetProp = [this] { ++applied; };
        dlg.Form_Load();
    }
    template <class W> W* c(const char* name) {
        auto* w = qobject_cast<W*>(dlg.control(QString::fromLatin1(name)));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    FakeCompanion* fake = nullptr;
    Options model;
    CustomColors custom{};
    frmOption dlg{model, custom};
    int applied = 0;
};

} // namespace

TEST_F(OptionDialogTest, FirstStartShowsTheFirstEntriesAndToday) {
    EXPECT_EQ(c<QComboBox>("Combo2")->currentText(), QStringLiteral("1,2,3... 32 （既定の表示）"));
    for (const char* n :
         {"Combo4(0)", "Combo4(1)", "Combo4(2)", "Combo4(3)", "Combo4(4)", "Combo1"})
        EXPECT_EQ(c<QComboBox>(n)->currentText(), QStringLiteral("1")) << n;
    EXPECT_EQ(c<QLabel>("Label10")->text(), QStringLiteral("2026/12/07"));
    EXPECT_EQ(model.FixedDateText, QStringLiteral("2026/12/07"));
    EXPECT_EQ(c<QComboBox>("Combo4(4)")->count(), 150);
    EXPECT_EQ(c<QComboBox>("Combo4(3)")->count(), 32);
}

TEST_F(OptionDialogTest, ListEntriesAreTheOnesOperatorsKnow) {
    const QStringList numbering = {
        QStringLiteral("1,2,3... 32 （既定の表示）"), QStringLiteral("0,1,2... 31"),
        QStringLiteral("「なし」、1,2... 31"),        QStringLiteral("「なし」、2,3... 32"),
        QStringLiteral("「無券」、1,2... 31"),        QStringLiteral("「無券」、2,3... 32"),
        QStringLiteral("「券なし」、1,2... 31"),      QStringLiteral("「券なし」、2,3... 32"),
        QStringLiteral("「券無し」、1,2... 31"),      QStringLiteral("「券無し」、2,3... 32"),
        QStringLiteral("(無地)、1,2... 31"),          QStringLiteral("(無地)、2,3... 32")};
    EXPECT_EQ(optionlists::numberingModes(), numbering);
    EXPECT_EQ(optionlists::chimeiFonts().at(4), QStringLiteral("英数字はゴシック、それ以外は明朝"));
    EXPECT_EQ(optionlists::tsugiwaDisplays().at(1),
              QStringLiteral("「次は」を表示（「は」が小さい）"));
    EXPECT_EQ(optionlists::tsugiwaFonts().at(3), QStringLiteral("「は」だけゴシック体"));
    EXPECT_EQ(c<QPushButton>("Option1(5)")->text(), QStringLiteral("　　整理券　　　プレビュー"));
}

TEST_F(OptionDialogTest, PanelChoiceShowsOrHidesThePerStateFrames) {
    auto frames = [&] {
        int shown = 0;
        for (int i = 0; i < 3; ++i) {
            auto* f = dlg.findChild<QGroupBox*>(QStringLiteral("Frame6(%1)").arg(i));
            shown += f->isEnabled() && !f->isHidden();
        }
        return shown;
    };
    EXPECT_EQ(frames(), 0); // automatic at first start
    c<QRadioButton>("Option3(1)")->click();
    EXPECT_EQ(frames(), 3);
    EXPECT_EQ(model.PanelIndividual, -1);
    EXPECT_EQ(model.PanelAuto, 0);
    c<QRadioButton>("Option3(0)")->click();
    EXPECT_EQ(frames(), 0);
}

TEST_F(OptionDialogTest, CancelledPickersChangeNothingAnsweredOnesWriteThrough) {
    const Options before = model;
    dlg.Command3_Click(0);
    dlg.cmdSelectSound_Click(7);
    dlg.Command6_Click(1);
    dlg.Command8_Click(2);
    dlg.Command7_Click();
    EXPECT_EQ(fake->pickerLog.size(), 5);
    EXPECT_EQ(model.FareDataFolder, before.FareDataFolder);
    EXPECT_EQ(model.DigitLitColor, before.DigitLitColor);
    EXPECT_EQ(model.FixedDateText, before.FixedDateText);
    EXPECT_TRUE(fake->pickerLog.contains(QStringLiteral("folder フォルダーを選択してください")));
    EXPECT_TRUE(fake->pickerLog.contains(
        QStringLiteral("file サウンドの選択 Waveサウンド(*.wav)|*.wav|MIDIサウンド(*.mid)|*.mid")));

    fake->folderAnswers.push_back(QStringLiteral("/データ/運賃"));
    fake->fileAnswers.push_back(QStringLiteral("/パネル/on1.jpg"));
    fake->colorAnswers.push_back(0x0000FF);
    fake->dateAnswers.push_back(QDate(2009, 4, 1));
    dlg.Command3_Click(0);
    dlg.Command6_Click(1);
    dlg.Command8_Click(2);
    dlg.Command7_Click();
    EXPECT_EQ(model.FareDataFolder, QStringLiteral("/データ/運賃"));
    EXPECT_EQ(c<QLineEdit>("Text2(0)")->text(), QStringLiteral("/データ/運賃"));
    EXPECT_EQ(model.On1ImageFile, QStringLiteral("/パネル/on1.jpg"));
    EXPECT_EQ(model.DigitLitColor, 0x0000FF);
    EXPECT_EQ(model.FixedDateText, QStringLiteral("2009/04/01"));
    dlg.Command10_Click(0);
    EXPECT_EQ(fake->opened, QStringList{QStringLiteral("/データ/運賃")});

    // A relative folder (the demo's "demo") is the one the data is read from: below the
    // current folder, for the file manager and for the chooser's start alike.
    c<QLineEdit>("Text2(1)")->setText(QStringLiteral("demo"));
    const QString expected = QDir::current().absoluteFilePath(QStringLiteral("demo"));
    dlg.Command10_Click(1);
    EXPECT_EQ(fake->opened.last(), expected);
    dlg.Command3_Click(1); // cancelled: the text stays
    EXPECT_EQ(fake->folderStarts.last(), expected);
    EXPECT_EQ(c<QLineEdit>("Text2(1)")->text(), QStringLiteral("demo"));
}

TEST_F(OptionDialogTest, ADigitColourShowsInThePreviewAtOnceAndOnTheBoardAfterOk) {
    BoardRig rig;
    dlg.SetProp = [&] { SetProp(model, rig.board, 0); };
    fake->colorAnswers.push_back(0x00FF00);
    dlg.Command8_Click(2);
    EXPECT_EQ(dlg.M_Degit1->DegitForeColor(), 0x00FF00u);
    EXPECT_NE(rig.board.Degit(1)->DegitForeColor(), 0x00FF00u);
    c<QPushButton>("Command4")->click();
    EXPECT_EQ(rig.board.Degit(1)->DegitForeColor(), 0x00FF00u);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(OptionDialogTest, OkWithoutChangesStillAppliesAndRestoredValuesReachTheControls) {
    c<QPushButton>("Command4")->click();
    EXPECT_EQ(applied, 1);
    Options restored;
    restored.NumberingMode = 7;
    restored.ChimeiBold = 2; // a stored 2: the box shows ticked, the board is not bold
    restored.ShowDataColumn = 1;
    restored.DataColumn = 39;
    restored.TsugiwaDisplay = 99; // past the list: nothing selected
    int reapplied = 0;
    dlg.reapplyBacklight = [&] { ++reapplied; };
    dlg.SetOptionInfo(restored);
    EXPECT_EQ(reapplied, 1);
    EXPECT_EQ(c<QComboBox>("Combo2")->currentIndex(), 7);
    EXPECT_TRUE(c<QCheckBox>("Check4")->isChecked());
    EXPECT_EQ(c<QComboBox>("Combo4(4)")->currentText(), QStringLiteral("40"));
    EXPECT_TRUE(c<QComboBox>("Combo4(4)")->isEnabled());
    EXPECT_EQ(c<QComboBox>("Combo6")->currentIndex(), -1);
    BoardRig rig;
    rig.options = model;
    rig.apply();
    EXPECT_FALSE(rig.board.ChimeiCtl()->FontBold());
}
