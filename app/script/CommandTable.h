#pragma once
// The script language as one table: every command with its arguments, its one-line help
// and its handler. Scripts, the help text and other programs all run a line through it;
// a line's handler acts as the click or key it stands for and returns a result value.
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct Program;
class ScriptedCompanion;

struct CommandResult {
    std::optional<QString> error; // the message a script reports, when it failed
    QJsonValue value;             // what the command answers (`state`), null for most
    bool quit = false;            // the program is closing
    static CommandResult fail(QString message) { return {std::move(message), {}, false}; }
};

// What a command works on.
struct CommandContext {
    Program& program;
    ScriptedCompanion& companion;
    // When the script started on the simulator's clock, for `at`.
    int64_t startedMs = 0;
    // What a command's later part (after a hold) found: it replaces the line's result.
    std::optional<CommandResult> late;
    // A script line that lets the program run: the script goes on at `untilMs` or once
    // `until` holds, after `resume` (a command of its own, queued as any other). Other
    // commands, the auto run's among them, go on meanwhile.
    struct Pause {
        int64_t untilMs = -1;
        std::function<bool()> until;
        std::function<void()> resume;
    };
    std::optional<Pause> pause;
};

// A command line taken apart: the words, and everything after the command's name.
struct CommandLine {
    QStringList words; // words[0] is the command
    QString rest;
    QString arg(int i) const { return i < words.size() ? words[i] : QString(); }
    int argCount() const { return static_cast<int>(words.size()) - 1; }
    // Everything after the first argument (a file name with spaces, an option's value).
    QString afterFirst() const;
};

struct CommandRow {
    const char* name;
    int minArgs;
    int maxArgs; // kAnyArgs: the rest of the line
    const char* usage;
    const char* help;
    CommandResult (*run)(CommandContext&, const CommandLine&);
};
inline constexpr int kAnyArgs = 1 << 20;

const std::vector<CommandRow>& commandTable();
const CommandRow* findCommand(const QString& name);
// Runs one line (no comment, not empty); an unknown command or a wrong number of
// arguments fails with the row's usage.
CommandResult runCommandLine(CommandContext& ctx, const QString& line);
// Every command with its arguments and what it does (for --help-script).
QString commandHelp();
