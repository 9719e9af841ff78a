#include "FatalHandler.h"
#include "ScriptedCompanion.h"

#include <gtest/gtest.h>

// An uncaught failure tells the operator its number and description, then ends the
// program at once with status 1.
TEST(FatalHandler, ReportsTheErrorAndEndsAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Companion::install(std::make_unique<ScriptedCompanion>(nullptr, true));
            fatalFailure(6, QStringLiteral("オーバーフローしました。"));
        },
        ::testing::ExitedWithCode(1), "\"icon\":\"error\".*'6'");
}
