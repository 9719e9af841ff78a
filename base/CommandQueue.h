#pragma once
// The one queue every command goes through, whatever its source (the panel, a key, a
// script line, a network client, the auto run, telemetry): one command at a time, at the
// top of the event loop. A command may hold the queue (the lamp test, a sound played to
// its end, a script's wait) and say what comes after the hold; until then the commands
// behind it wait in order while the windows go on painting.
#include "SimClock.h"

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class CommandQueue : public QObject {
    Q_OBJECT
  public:
    enum class Source { Panel, Keys, Script, Remote, Telemetry, AutoRun };
    struct Command {
        Source source = Source::Panel;
        QString name;
        std::function<void()> run;
        // When the command and everything it said should follow have finished.
        std::function<void()> done;
        // When it was given (set by submit): it runs as of then, or of the end of the
        // hold it waited behind, whichever is later.
        int64_t atMs = 0;
    };

    explicit CommandQueue(SimClock& clock, QObject* parent = nullptr);
    ~CommandQueue() override;
    // The program's one queue, on the program's one clock.
    static CommandQueue& global();

    void submit(Command c);
    void submit(Source source, QString name, std::function<void()> run) {
        submit(Command{source, std::move(name), std::move(run), {}});
    }

    // For the command running now: the queue waits this long of simulator time, until a
    // moment, or until `ready` says so (looked at every few milliseconds, at most
    // `limitMs` when that is not negative). Several holds follow one another.
    void holdFor(int64_t ms, const QString& why);
    void holdUntilTime(int64_t dueMs, const QString& why);
    void holdUntil(std::function<bool()> ready, const QString& why, int64_t limitMs = -1);
    // What comes after the holds taken so far, before any other command; at once when
    // nothing holds. Put it last: code after it runs before it when something holds.
    void then(std::function<void()> fn);

    // The hold under way ("LampTest", "WaitingForSound", "Wait" ...), empty when none.
    QString waitingFor() const { return hold_ ? hold_->why : QString(); }
    bool holding() const { return hold_.has_value(); }
    // Commands waiting behind the one under way.
    size_t pending() const { return pending_.size(); }
    // Something can run now without the clock moving.
    bool runnable() const;
    // Nothing under way, nothing holds, nothing waits.
    bool idle() const { return !hold_ && !current_ && steps_.empty() && pending_.empty(); }
    // The shell's say: false while a dialog the operator opened is up.
    std::function<bool()> mayRun;
    // How often a condition hold is looked at, in simulator milliseconds.
    static constexpr int64_t kPollMs = 5;

  Q_SIGNALS:
    void becameIdle();

  private:
    struct Hold {
        QString why;
        uint64_t timer = 0;
        std::function<bool()> ready;
        int64_t limitAt = -1;
        int64_t nextPollAt = 0;
    };
    void postPump();
    void pump();
    void runStep(std::function<void()> fn);
    void poll();
    void endHold();
    bool deferHold(std::function<void()> again);

    SimClock& clock_;
    uint64_t gate_ = 0;
    std::deque<Command> pending_;
    std::optional<Command> current_;
    std::deque<std::function<void()>> steps_;
    std::vector<std::function<void()>> staged_;
    std::optional<Hold> hold_;
    bool inStep_ = false;
    int64_t releasedAt_ = 0; // when the last hold ended
    int64_t runsAt_ = 0;     // the moment the command under way runs as of
    bool pumpPosted_ = false;
};
