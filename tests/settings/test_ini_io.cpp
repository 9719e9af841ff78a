// Saving and loading through the owners: the order they are asked in, a load that fails
// half-way, a save that must never cost the old file.
#include "AppError.h"
#include "In4Format.h"
#include "mdlIniIoEx.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Owners that log every call and hold their blocks in memory.
class LoggingOwners : public SettingsOwners {
  public:
    QStringList log;
    SettingsRecord live;
    void GetOptionInfo(Options& o) override {
        log << QStringLiteral("GetOptionInfo"), o = live.options;
    }
    void SetOptionInfo(const Options& o) override {
        log << QStringLiteral("SetOptionInfo"), live.options = o;
    }
    void GetCtrlDataInfo(CtrlDataInfo& c) override {
        log << QStringLiteral("GetCtrlDataInfo"), c = live.ctrl;
    }
    void SetCtrlDataInfo(const CtrlDataInfo& c) override {
        log << QStringLiteral("SetCtrlDataInfo");
        live.ctrl.PanelLeft = c.PanelLeft; // the position first, as the panel does
        if (c.ScrollSpeedValue > 32767)
            throw AppError(ErrNo::Overflow);
        live.ctrl = c;
    }
    void GetFormInfo(FormInfo& f) override { log << QStringLiteral("GetFormInfo"), f = live.form; }
    void SetFormInfo(const FormInfo& f) override {
        log << QStringLiteral("SetFormInfo"), live.form = f;
    }
    DegitCell GetDegitCell(int i) override { return live.degitCells[static_cast<size_t>(i - 1)]; }
    void ApplyElements(const SettingsRecord&) override { log << QStringLiteral("ApplyElements"); }
    void SetProp() override { log << QStringLiteral("SetProp"); }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(IniIo, SaveAsksTheOwnersInOrderAndLoadRestoresThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    LoggingOwners a;
    a.live.options.FareDataFolder = QStringLiteral("/データ");
    a.live.ctrl.ScrollSpeedValue = 300;
    a.live.form.BoardTop = 450;
    a.live.degitCells[3].FillZero = 2;
    SettingsRecord rec;
    rec.customColors[2] = 0x123456;
    ASSERT_TRUE(mdlIniIoEx::SaveSettings(path, a, rec).ok);
    EXPECT_EQ(a.log,
              (QStringList{QStringLiteral("GetOptionInfo"), QStringLiteral("GetCtrlDataInfo"),
                           QStringLiteral("GetFormInfo")}));
    LoggingOwners b;
    SettingsRecord loaded;
    ASSERT_TRUE(mdlIniIoEx::LoadSettings(path, b, loaded).ok);
    EXPECT_EQ(b.log, (QStringList{QStringLiteral("ApplyElements"), QStringLiteral("SetOptionInfo"),
                                  QStringLiteral("SetCtrlDataInfo"), QStringLiteral("SetFormInfo"),
                                  QStringLiteral("SetProp")}));
    EXPECT_EQ(b.live.options.FareDataFolder, QStringLiteral("/データ"));
    EXPECT_EQ(b.live.ctrl.ScrollSpeedValue, 300);
    EXPECT_EQ(b.live.form.BoardTop, 450);
    EXPECT_EQ(loaded.degitCells[3].FillZero, 2);
    EXPECT_EQ(loaded.customColors[2], 0x123456);
}

TEST(IniIo, NoFileLoadsSilentlyAndTouchesNothing) {
    QTemporaryDir dir;
    LoggingOwners o;
    SettingsRecord rec;
    EXPECT_TRUE(mdlIniIoEx::LoadSettings(dir.filePath(QStringLiteral("none.in4")), o, rec).ok);
    EXPECT_TRUE(mdlIniIoEx::LoadSettings(QString(), o, rec).ok);
    EXPECT_TRUE(o.log.isEmpty());
}

TEST(IniIo, AScrollValueBeyondSixteenBitsStopsTheLoadThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    SettingsRecord bad;
    bad.options.ResetSound = QStringLiteral("key.wav");
    bad.ctrl.ScrollSpeedValue = 70000;
    bad.ctrl.PanelLeft = 1500;
    bad.form.BoardLeft = 3000;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString(*in4::write(bad).bytes));
    f.close();
    LoggingOwners o;
    SettingsRecord rec;
    const Outcome r = mdlIniIoEx::LoadSettings(path, o, rec);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorNo, 6);
    EXPECT_EQ(mdlIniIoEx::errorText(r),
              QStringLiteral("エラー Code:6\r\n内容:オーバーフローしました。"));
    // The options and the panel's position stay applied; the board and SetProp are not.
    EXPECT_EQ(o.live.options.ResetSound, QStringLiteral("key.wav"));
    EXPECT_EQ(o.live.ctrl.PanelLeft, 1500);
    EXPECT_FALSE(o.log.contains(QStringLiteral("SetFormInfo")));
    EXPECT_FALSE(o.log.contains(QStringLiteral("SetProp")));
    EXPECT_EQ(o.live.form.BoardLeft, 0);
}

TEST(IniIo, AFailedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    LoggingOwners o;
    SettingsRecord rec;
    ASSERT_TRUE(mdlIniIoEx::SaveSettings(path, o, rec).ok);
    const QByteArray before = fileBytes(path);
    ASSERT_EQ(before.size(), 440);
    // A value the file cannot hold is refused before anything is written.
    o.live.options.PluginPath = QString(40000, QChar(0x3042));
    const Outcome tooLong = mdlIniIoEx::SaveSettings(path, o, rec);
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(fileBytes(path), before);
    // A place that cannot be written reports an error.
    o.live.options.PluginPath.clear();
    EXPECT_FALSE(mdlIniIoEx::SaveSettings(QStringLiteral("/proc/minamo/527.in4"), o, rec).ok);
    EXPECT_EQ(fileBytes(path), before);
}

TEST(IniIo, TheFileLivesNextToTheProgramOrInTheConfigFolder) {
    QTemporaryDir dir;
    EXPECT_EQ(mdlIniIoEx::settingsPath(dir.path(), QStringLiteral("527"), QStringLiteral("/cfg")),
              dir.filePath(QStringLiteral("527.in4")));
    EXPECT_EQ(mdlIniIoEx::settingsPath(QStringLiteral("/proc/1"), QStringLiteral("527"),
                                       QStringLiteral("/cfg")),
              QStringLiteral("/cfg/527/527.in4"));
    // Installed: the user's folder, even for root, who could write into /usr/bin.
    EXPECT_EQ(mdlIniIoEx::settingsPath(QStringLiteral("/usr/bin"), QStringLiteral("527"),
                                       QStringLiteral("/cfg")),
              QStringLiteral("/cfg/527/527.in4"));
}

// A group of option buttons a file leaves unsettled (none or both chosen) reaches the
// owners, and so the next save, as the choice a new file makes; a file whose groups name
// one choice each, whatever its other values, comes back byte for byte.
TEST(IniIo, UnsettledOptionGroupsTakeTheDefaultChoiceSettledOnesRoundTrip) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("527.in4"));
    SettingsRecord odd;
    odd.options.StepSoundFixed = 0;
    odd.options.StepSoundByColumn = 0;
    odd.options.DatePerPrint = -1;
    odd.options.DateFixed = -1;
    odd.options.PreSoundFixed = 0;
    odd.options.PreSoundByFlag = 1; // one choice, stored as 1: kept as it is
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(*in4::write(odd).bytes));
    }
    LoggingOwners owners;
    SettingsRecord loaded;
    ASSERT_TRUE(mdlIniIoEx::LoadSettings(path, owners, loaded).ok);
    const Options& o = owners.live.options;
    EXPECT_EQ(o.StepSoundFixed, -1);
    EXPECT_EQ(o.StepSoundByColumn, 0);
    EXPECT_EQ(o.DatePerPrint, -1);
    EXPECT_EQ(o.DatePerRoute, 0);
    EXPECT_EQ(o.DateFixed, 0);
    EXPECT_EQ(o.PreSoundFixed, 0);
    EXPECT_EQ(o.PreSoundByFlag, 1);

    ASSERT_TRUE(mdlIniIoEx::SaveSettings(path, owners, loaded).ok);
    const QByteArray settled = fileBytes(path);
    LoggingOwners again;
    ASSERT_TRUE(mdlIniIoEx::LoadSettings(path, again, loaded).ok);
    ASSERT_TRUE(mdlIniIoEx::SaveSettings(path, again, loaded).ok);
    EXPECT_EQ(fileBytes(path), settled);
}
