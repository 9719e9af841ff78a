#pragma once
// Runs a script of commands against the running simulator, one per line, each through
// the command table and so through the handler an operator's click or key reaches.
#include "CommandTable.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct Program;
class ScriptedCompanion;

class ScriptRunner {
  public:
    ScriptRunner(Program& program, ScriptedCompanion& companion);

    enum class Outcome { Finished, Quit, Error };
    // Runs all lines; on an error, `error()` names the line and nothing after it runs.
    Outcome run(const QStringList& lines);
    // The same for lines as they come: `next` gives the next line, or none at the end.
    Outcome run(const std::function<std::optional<QString>()>& next);
    const QString& error() const { return error_; }
    // Every command with its arguments and what it does, one a line (for --help-script).
    static QString commandHelp() { return ::commandHelp(); }

  private:
    CommandContext ctx_;
    QString error_;
};
