// The options dialog's ticket page: loading a plug-in's description, choosing and removing
// one, and the frames that follow the preview switch.
#include "FakeCompanion.h"
#include "frmOption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString demoPlugin(const char* name) {
    return QStringLiteral(DEMO_DIR "/plugins/") + QString::fromLatin1(name);
}

// The panel's company list as the dialog hands it over.
struct CompanyList {
    QStringList names;
    int count() const { return static_cast<int>(names.size()); }
    QString itemText(int i) const { return names.value(i); }
    void addItem(const QString& n) { names << n; }
    void addItems(const QStringList& n) { names << n; }
};

class TicketOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = &FakeCompanion::reset();
        dlg.today = [] { return QDate(2026, 12, 7); };
        dlg.setCompanies = [this](const QStringList& names) { companies.names = names; };
        dlg.setPreviewTwips = [this](int w, int h) { preview = {w, h}; };
        dlg.Form_Load();
        // The plug-in frame takes clicks only while the preview is in use.
        static_cast<QCheckBox*>(dlg.control(QStringLiteral("chkUseSeiriPrev")))->click();
        companies.addItems({QStringLiteral("前の会社")});
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < dlg.List1->count(); ++i)
            out << dlg.List1->item(i)->text();
        return out;
    }
    QString path() const {
        return static_cast<QLineEdit*>(dlg.control(QStringLiteral("txtSeiriPlgDir")))->text();
    }
    void choose(const QString& file) {
        fake->fileAnswers.push_back(file);
        static_cast<QPushButton*>(dlg.control(QStringLiteral("Command1")))->click();
    }
    QString writePlugin(const QByteArray& text) {
        const QString f = dir.filePath(QStringLiteral("p%1.4SP").arg(++files));
        QFile out(f);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        return f;
    }
    FakeCompanion* fake = nullptr;
    Options model;
    CustomColors custom{};
    frmOption dlg{model, custom};
    CompanyList companies;
    QSize preview;
    QTemporaryDir dir;
    int files = 0;
};

} // namespace

TEST_F(TicketOptionsTest, ATicketWithoutBarcodesHasSixPropertyLines) {
    choose(demoPlugin("plain.4SP"));
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("日付の印字 ---> 可能"),
                                    QStringLiteral("時刻の印字 ---> 不可"),
                                    QStringLiteral("系統番号の印字 ---> 不可"),
                                    QStringLiteral("停名の印字 ---> 可能"),
                                    QStringLiteral("バーコード印字 ---> 不可"),
                                    QStringLiteral("社名切り替え:---> 可能")}));
    EXPECT_EQ(path(), demoPlugin("plain.4SP"));
    EXPECT_EQ(model.PluginPath, demoPlugin("plain.4SP"));
    EXPECT_TRUE(dlg.txtPlginComment->toPlainText().startsWith(QStringLiteral("番号だけの")));
    EXPECT_EQ(preview, QSize(2400, 3000));
    ASSERT_EQ(companies.count(), 1);
    EXPECT_EQ(companies.itemText(0), QStringLiteral("みなも交通"));
    EXPECT_EQ(fake->pickerLog.value(0),
              QStringLiteral("file プラグインの選択 整理券プラグイン(*.4SP)|*.4SP"));
    EXPECT_TRUE(fake->messages.empty());
}

TEST_F(TicketOptionsTest, ABarcodeTicketAddsFourLinesInDecimalWithoutPadding) {
    choose(demoPlugin("barcode.4SP"));
    const QStringList l = lines();
    ASSERT_EQ(l.size(), 10);
    EXPECT_EQ(l.mid(5, 4), (QStringList{QStringLiteral("バーコード本数 ---> 2"),
                                        QStringLiteral("バーコード系統方式 ---> 連番式"),
                                        QStringLiteral("設定可能な系統範囲 ---> 1 ～ 99"),
                                        QStringLiteral("停留所認識範囲 ---> 1 ～ 50")}));
    EXPECT_EQ(companies.count(), 3);
}

TEST_F(TicketOptionsTest, OnlyAFlagOfExactlyOneCountsAsPresent) {
    ticket::PlgInfo info{};
    info.printsDate = 2;
    info.printsTime = 1;
    info.printsBarcode = 1;
    info.barcodeCount = 1;
    info.routeMethod = 2;
    info.maxRoute = 5;
    fake->plgInfoAnswer = info;
    ASSERT_NE(dlg.SetPlgin(QStringLiteral("/any/where.4SP")), 0);
    const QStringList l = lines();
    EXPECT_EQ(l.value(0), QStringLiteral("日付の印字 ---> 不可"));
    EXPECT_EQ(l.value(1), QStringLiteral("時刻の印字 ---> 可能"));
    EXPECT_EQ(l.value(6), QStringLiteral("バーコード系統方式 ---> 系統番号＋往復フラグ"));
    EXPECT_EQ(l.value(8), QStringLiteral("停留所認識範囲 ---> 0 ～ 0"));
}

TEST_F(TicketOptionsTest, NoCompaniesLeavesTheListEmptyAfterAChoice) {
    const QString f = writePlugin("[plugin]\nformat=1\nname=x\nwidth=1500\nheight=1500\n");
    choose(f);
    EXPECT_EQ(companies.count(), 0);
    EXPECT_EQ(lines().last(), QStringLiteral("社名切り替え:---> 不可"));
}

TEST_F(TicketOptionsTest, CancelledPickerChangesNothing) {
    choose(demoPlugin("plain.4SP"));
    companies.addItem(QStringLiteral("追加"));
    const QStringList before = lines();
    choose({}); // cancelled
    EXPECT_EQ(companies.count(), 2);
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(path(), demoPlugin("plain.4SP"));
    EXPECT_TRUE(fake->messages.empty());
}

TEST_F(TicketOptionsTest, AnInvalidFileIsReportedAndThePreviousPluginStays) {
    choose(demoPlugin("plain.4SP"));
    const QStringList before = lines();
    const QString notes = dlg.txtPlginComment->toPlainText();
    for (const QByteArray& bad : {QByteArray(), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10),
                                  QByteArray("[plugin]\nformat=1\nname=x\nwidth=1500\n")}) {
        fake->messages.clear();
        choose(writePlugin(bad));
        ASSERT_EQ(fake->messages.size(), 1u);
        EXPECT_EQ(fake->messages[0].title, QStringLiteral("プラグインロードエラー"));
        EXPECT_EQ(fake->messages[0].text,
                  QStringLiteral("指定したファイルはプラグインでないか、内容が不正です"));
        EXPECT_EQ(fake->messages[0].icon, MsgIcon::Error);
        EXPECT_EQ(path(), demoPlugin("plain.4SP"));
        EXPECT_EQ(lines(), before);
        EXPECT_EQ(dlg.txtPlginComment->toPlainText(), notes);
        EXPECT_EQ(companies.count(), 0); // cleared before the load was tried
    }
}

TEST_F(TicketOptionsTest, RemovingClearsThePageButNotThePanel) {
    choose(demoPlugin("barcode.4SP"));
    static_cast<QPushButton*>(dlg.control(QStringLiteral("Command11")))->click();
    EXPECT_EQ(path(), QString());
    EXPECT_EQ(model.PluginPath, QString());
    EXPECT_EQ(dlg.List1->count(), 0);
    EXPECT_EQ(dlg.txtPlginComment->toPlainText(), QString());
    EXPECT_EQ(companies.count(), 3);
}

TEST_F(TicketOptionsTest, RecheckingThePreviewBringsBothFramesBackEnabled) {
    dlg.show();
    dlg.Option1_Click(5);
    auto* use = static_cast<QCheckBox*>(dlg.control(QStringLiteral("chkUseSeiriPrev")));
    ASSERT_EQ(model.UseTicketPreview, 1);
    use->click();
    EXPECT_FALSE(dlg.Frame10->isEnabled());
    EXPECT_FALSE(dlg.Frame7->isVisibleTo(&dlg));
    use->click();
    for (QGroupBox* f : {dlg.Frame10, dlg.Frame7}) {
        EXPECT_TRUE(f->isEnabled());
        EXPECT_TRUE(f->isVisibleTo(&dlg));
    }
}

TEST_F(TicketOptionsTest, AnInvalidPluginAtStartIsSilentAndKeepsItsPath) {
    Options restored;
    restored.UseTicketPreview = 1;
    restored.PluginPath = dir.filePath(QStringLiteral("gone.4SP"));
    dlg.SetOptionInfo(restored);
    EXPECT_TRUE(fake->messages.empty());
    EXPECT_EQ(path(), restored.PluginPath);
    EXPECT_EQ(dlg.List1->count(), 0);
    EXPECT_EQ(companies.count(), 1); // untouched

    restored.PluginPath = demoPlugin("barcode.4SP");
    dlg.SetOptionInfo(restored);
    EXPECT_EQ(dlg.List1->count(), 10);
    EXPECT_EQ(companies.count(), 3);
}
