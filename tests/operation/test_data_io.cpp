#include "AppError.h"
#include "DataIo.h"
#include "FakeCompanion.h"
#include "Hy3Builder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LoadFareDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = &FakeCompanion::reset();
        ASSERT_TRUE(dir.isValid());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    bool load(const QString& digits, int16_t section) {
        state.RouteDigits = digits;
        state.StartSection = section;
        return record(LoadFareData(table, state, dir.path()));
    }
    bool record(const Outcome& o) {
        if (!o.ok)
            failures.push_back(o);
        return o.ok;
    }
    QString lastMessage() const { return failures.empty() ? QString() : failures.back().message; }
    std::vector<Outcome> failures;

    QTemporaryDir dir;
    FakeCompanion* fake = nullptr;
    RouteTable table;
    RouteState state;
};

} // namespace

TEST(FareDataPath, RouteNumberAndFolderRules) {
    EXPECT_EQ(fareDataPath(QStringLiteral("/fare"), QStringLiteral("00105")),
              QStringLiteral("/fare/105.hy3"));
    EXPECT_EQ(fareDataPath(QStringLiteral("/fare/"), QStringLiteral("12")),
              QStringLiteral("/fare/12.hy3"));
    EXPECT_EQ(fareDataPath(QStringLiteral("/fare"), QStringLiteral("00012")),
              QStringLiteral("/fare/12.hy3"));
    EXPECT_EQ(fareDataPath(QStringLiteral("/fare"), QStringLiteral("00000")),
              QStringLiteral("/fare/0.hy3"));
    EXPECT_EQ(fareDataPath(QString(), QString()), QStringLiteral("0.hy3"));
}

TEST_F(LoadFareDataTest, LoadsRowsAndStartsAtTheSection) {
    writeBytes(path(QStringLiteral("12.hy3")), hy3::write(makeRoute(10)));
    ASSERT_TRUE(load(QStringLiteral("00012"), 3));
    EXPECT_EQ(state.RowCount, 10);
    EXPECT_EQ(state.CurrentRow, 3);
    EXPECT_EQ(table.row(4).StopName, QStringLiteral("停留所4"));
    EXPECT_EQ(table.row(4).TicketNo, 4);
    EXPECT_EQ(table.row(4).column(150), 4150);
    EXPECT_TRUE(failures.empty());
}

TEST_F(LoadFareDataTest, SectionMustBeBelowTheRowCount) {
    writeBytes(path(QStringLiteral("2.hy3")), hy3::write(makeRoute(2)));
    EXPECT_TRUE(load(QStringLiteral("2"), 1));
    EXPECT_FALSE(load(QStringLiteral("2"), 2));
    writeBytes(path(QStringLiteral("10.hy3")), hy3::write(makeRoute(10)));
    EXPECT_TRUE(load(QStringLiteral("10"), 9));
    EXPECT_FALSE(load(QStringLiteral("10"), 10));
    EXPECT_EQ(lastMessage(), msgSectionTooLarge());
}

TEST_F(LoadFareDataTest, NamesOfZeroAndSixBytes) {
    hy3::File f = makeRoute(3);
    f.rows[0].name.clear();
    f.rows[1].name = cp932::encode(QStringLiteral("市役所"));
    ASSERT_EQ(f.rows[1].name.size(), 6u);
    writeBytes(path(QStringLiteral("1.hy3")), hy3::write(f));
    ASSERT_TRUE(load(QStringLiteral("1"), 1));
    EXPECT_EQ(table.row(1).StopName, QString());
    EXPECT_EQ(table.row(2).StopName, QStringLiteral("市役所"));
}

TEST_F(LoadFareDataTest, AShorterRouteLeavesTheRestCleared) {
    writeBytes(path(QStringLiteral("1.hy3")), hy3::write(makeRoute(20)));
    writeBytes(path(QStringLiteral("2.hy3")), hy3::write(makeRoute(5)));
    ASSERT_TRUE(load(QStringLiteral("1"), 1));
    ASSERT_TRUE(load(QStringLiteral("2"), 1));
    EXPECT_EQ(table.row(6).StopName, QString());
    EXPECT_EQ(table.row(6).TicketNo, 0);
    EXPECT_EQ(table.row(20).column(1), 0);
}

TEST_F(LoadFareDataTest, EveryFailureKeepsThePreviousRoute) {
    writeBytes(path(QStringLiteral("1.hy3")), hy3::write(makeRoute(8)));
    ASSERT_TRUE(load(QStringLiteral("1"), 2));
    const RouteRow keep = table.row(3);

    hy3::File zero;
    writeBytes(path(QStringLiteral("3.hy3")), hy3::write(zero));
    std::string truncated = hy3::write(makeRoute(6));
    truncated.resize(truncated.size() - 7);
    writeBytes(path(QStringLiteral("4.hy3")), truncated);
    std::string tooMany = hy3::write(makeRoute(2));
    tooMany[0] = static_cast<char>(302 & 0xFF);
    tooMany[1] = static_cast<char>(302 >> 8);
    writeBytes(path(QStringLiteral("5.hy3")), tooMany);
    std::string negative = hy3::write(makeRoute(2));
    negative[0] = negative[1] = static_cast<char>(0xFF);
    writeBytes(path(QStringLiteral("6.hy3")), negative);
    std::string nameOverrun = hy3::write(makeRoute(1));
    nameOverrun[2] = static_cast<char>(0xFF); // name length runs past the end
    nameOverrun[0] = 2;
    writeBytes(path(QStringLiteral("7.hy3")), nameOverrun);
    writeBytes(path(QStringLiteral("8.hy3")), std::string("\x05", 1));

    const struct {
        const char* digits;
        QString message;
    } cases[] = {
        {"99", msgNoRouteData()},    {"3", msgZeroRows()}, {"4", QString()}, {"5", QString()},
        {"6", msgSectionTooLarge()}, {"7", QString()},     {"8", QString()},
    };
    for (const auto& c : cases) {
        const size_t before = failures.size();
        EXPECT_FALSE(load(QString::fromLatin1(c.digits), 1)) << c.digits;
        ASSERT_EQ(failures.size(), before + 1) << c.digits;
        EXPECT_FALSE(failures.back().message.isEmpty()) << c.digits;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(lastMessage(), c.message) << c.digits;
        }
        EXPECT_EQ(state.RowCount, 8) << c.digits;
        EXPECT_EQ(state.CurrentRow, 2) << c.digits;
        EXPECT_EQ(table.row(3).StopName, keep.StopName) << c.digits;
        EXPECT_EQ(table.row(3).columns, keep.columns) << c.digits;
        EXPECT_EQ(state.RouteDigits, QString::fromLatin1(c.digits)); // kept as entered
    }
}

TEST_F(LoadFareDataTest, MissingFolderReportsPathNotFound) {
    state.RouteDigits = QStringLiteral("1");
    state.StartSection = 1;
    EXPECT_FALSE(record(LoadFareData(table, state, dir.filePath(QStringLiteral("nowhere")))));
    EXPECT_EQ(lastMessage(), QStringLiteral("パスが見つかりません。"));
    EXPECT_EQ(failures.back().errorNo, 76);
}

TEST_F(LoadFareDataTest, InvalidShiftJisNamesLoadVisibly) {
    hy3::File f = makeRoute(3);
    f.rows[1].name = std::string("\x82\xA0\x81", 3);
    writeBytes(path(QStringLiteral("1.hy3")), hy3::write(f));
    ASSERT_TRUE(load(QStringLiteral("1"), 1));
    EXPECT_TRUE(table.row(2).StopName.startsWith(QStringLiteral("あ")));
    EXPECT_TRUE(table.row(2).StopName.contains(QChar(0xFFFD)));
}

TEST(RouteTable, OutOfRangeCellsFail) {
    RouteTable t;
    EXPECT_THROW(t.SetRouteCell(0, 1, QStringLiteral("x")), AppError);
    EXPECT_THROW(t.SetRouteCell(302, 1, QStringLiteral("x")), AppError);
    EXPECT_THROW(t.SetRouteCell(1, 153, 0), AppError);
    EXPECT_THROW(t.SetRouteCell(1, 0, 0), AppError);
    t.SetRouteCell(301, 152, 7);
    EXPECT_EQ(t.row(301).column(150), 7);
    EXPECT_THROW(t.SetRouteCell(1, 3, 40000), AppError);
}

// A fare file written out byte by byte here, not by our writer: two stops, "駅前" (CP932
// 89 77 91 4F) and "A", with a few columns set and the rest zero.
TEST_F(LoadFareDataTest, GoldenFileReadsIntoTheExpectedTable) {
    std::string golden;
    auto bytes = [&](std::initializer_list<int> bs) {
        for (int b : bs)
            golden.push_back(static_cast<char>(b));
    };
    auto zeros = [&](int n) { golden.append(static_cast<size_t>(n), '\0'); };
    bytes({0x02, 0x00});                         // two rows
    bytes({0x04, 0x00, 0x89, 0x77, 0x91, 0x4F}); // name length 4, 駅前
    bytes({0x01, 0x00});                         // ticket number 1
    bytes({0xE6, 0x00, 0xFF, 0xFF});             // column 1 = 230, column 2 = -1
    zeros(2 * 147);
    bytes({0x39, 0x30});       // column 150 = 12345
    bytes({0x01, 0x00, 0x41}); // name length 1, "A"
    bytes({0xFE, 0xFF});       // ticket number -2
    bytes({0x00, 0x80});       // column 1 = -32768
    zeros(2 * 149);
    ASSERT_EQ(golden.size(), 2u + (2 + 4 + 2 + 300) + (2 + 1 + 2 + 300));
    writeBytes(path(QStringLiteral("5.hy3")), golden);

    ASSERT_TRUE(load(QStringLiteral("5"), 1));
    EXPECT_EQ(state.RowCount, 2);
    EXPECT_EQ(table.row(1).StopName, QStringLiteral("駅前"));
    EXPECT_EQ(table.row(1).StopNameBytes, std::string("\x89\x77\x91\x4F"));
    EXPECT_EQ(table.row(1).TicketNo, 1);
    EXPECT_EQ(table.row(1).column(1), 230);
    EXPECT_EQ(table.row(1).column(2), -1);
    EXPECT_EQ(table.row(1).column(3), 0);
    EXPECT_EQ(table.row(1).column(150), 12345);
    EXPECT_EQ(table.row(2).StopName, QStringLiteral("A"));
    EXPECT_EQ(table.row(2).TicketNo, -2);
    EXPECT_EQ(table.row(2).column(1), -32768);
    EXPECT_EQ(table.row(3).StopName, QString());
    // Our writer gives the same bytes back.
    const hy3::ParseResult parsed = hy3::parse(golden);
    ASSERT_TRUE(parsed.file);
    EXPECT_EQ(hy3::write(*parsed.file), golden);
}
