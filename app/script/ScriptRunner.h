#pragma once
// Runs a script of commands against the running simulator, one per line, each through
// the command table and so through the handler an operator's click or key reaches. Each
// line is a command in the program's queue; the next is taken when it has finished, so a
// script never waits inside the event loop.
#include "CommandTable.h"
#include "SimClock.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct Program;
class ScriptedCompanion;

class ScriptRunner : public QObject {
    Q_OBJECT
  public:
    ScriptRunner(Program& program, ScriptedCompanion& companion, QObject* parent = nullptr);
    ~ScriptRunner() override;

    enum class Outcome { Finished, Quit, Error };
    // What a line source has: a line, nothing yet (call linesArrived() when it has), or
    // its end.
    struct Next {
        enum class Kind { Line, Later, End } kind = Kind::End;
        QString text;
    };
    using Source = std::function<Next()>;

    // Starts running; finished() tells how it ended. On an error, `error()` names the line
    // and nothing after it runs.
    void start(const QStringList& lines);
    void start(Source next);
    // The source has a line now (after it said Later).
    void linesArrived();
    bool running() const { return running_; }
    const QString& error() const { return error_; }
    // Every command with its arguments and what it does, one a line (for --help-script).
    static QString commandHelp() { return ::commandHelp(); }

  Q_SIGNALS:
    void finished(ScriptRunner::Outcome outcome);

  private:
    void feed();
    void lineDone(const QString& line, const CommandResult& r);
    void pauseThen(const CommandContext::Pause& pause, std::function<void()> go);
    void finish(Outcome o);

    Program& program_;
    SimClock& sim_ = SimClock::global();
    CommandContext ctx_;
    Source next_;
    QString error_;
    int lineNo_ = 0;
    bool running_ = false;
    bool waitingForLine_ = false;
    uint64_t gate_ = 0;
};
