// The script language's table: names, arities and help, checked row by row without
// running the simulator (a line with the wrong number of arguments never reaches it).
#include "CommandTable.h"
#include "Program.h"
#include "ScriptedCompanion.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(CommandTable, EveryRowIsNamedOnceAndExplainedInTheHelp) {
    QSet<QString> names;
    const QString help = commandHelp();
    for (const CommandRow& r : commandTable()) {
        const QString name = QString::fromUtf8(r.name);
        EXPECT_FALSE(names.contains(name)) << r.name;
        names.insert(name);
        EXPECT_TRUE(QString::fromUtf8(r.usage).startsWith(name)) << r.name;
        EXPECT_GT(std::strlen(r.help), 3u) << r.name;
        EXPECT_LE(r.minArgs, r.maxArgs) << r.name;
        EXPECT_TRUE(help.contains(QStringLiteral("  %1\n      %2\n")
                                      .arg(QString::fromUtf8(r.usage), QString::fromUtf8(r.help))))
            << r.name;
        EXPECT_EQ(findCommand(name), &r);
    }
    for (const char* n : {"key", "next", "state", "quit", "at", "snapshot"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(n))) << n;
}

TEST(CommandTable, AWrongNumberOfArgumentsAnswersWithTheRowsUsage) {
    Program program;
    ScriptedCompanion companion(nullptr, true);
    CommandContext ctx{program, companion, 0, {}, {}};
    for (const CommandRow& r : commandTable()) {
        const QString usage = QStringLiteral("usage: %1").arg(QString::fromUtf8(r.usage));
        if (r.minArgs > 0) {
            QStringList words{QString::fromUtf8(r.name)};
            for (int i = 1; i < r.minArgs; ++i)
                words << QStringLiteral("x");
            const CommandResult few = runCommandLine(ctx, words.join(QLatin1Char(' ')));
            EXPECT_EQ(few.error.value_or(QString()), usage) << r.name;
        }
        if (r.maxArgs < kAnyArgs) {
            QStringList words{QString::fromUtf8(r.name)};
            for (int i = 0; i <= r.maxArgs; ++i)
                words << QStringLiteral("x");
            const CommandResult many = runCommandLine(ctx, words.join(QLatin1Char(' ')));
            EXPECT_EQ(many.error.value_or(QString()), usage) << r.name;
        }
    }
    EXPECT_EQ(runCommandLine(ctx, QStringLiteral("fly away")).error.value_or(QString()),
              QStringLiteral("unknown command"));
    EXPECT_FALSE(runCommandLine(ctx, QStringLiteral("wait 0")).error);
}
