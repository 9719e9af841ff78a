#pragma once
// The simulator's time: everything that waits or moves (the lamp test, waiting sounds,
// the scroll, the auto run, script waits, recording frames) is scheduled on it. In real
// time it follows the monotonic clock; in virtual time it jumps to the next thing due as
// soon as the program has nothing else to do, so a trip plays exactly as it would, only
// as fast as the machine allows.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

class SimClock : public QObject {
    Q_OBJECT
  public:
    enum class Mode { Real, Virtual };

    explicit SimClock(QObject* parent = nullptr);
    // The program's one clock. Tests may switch it to virtual time before anything runs.
    static SimClock& global();

    Mode mode() const { return mode_; }
    // Only before anything is scheduled: the clock restarts at 0.
    void setMode(Mode m);
    bool isVirtual() const { return mode_ == Mode::Virtual; }

    // Milliseconds since the simulator started. In real time, while something due at a
    // moment runs (an entry of this clock, a command released at the end of a hold), it
    // is that moment, as in virtual time: what it starts counts from when it was due, not
    // from however late the machine got to it, so a real run does not fall behind a
    // virtual one by that lateness at every step.
    int64_t nowMs() const;

    // Real time only: for as long as it lives, the clock reads `dueMs` (never more than
    // kMaxLateMs behind the real time: what waited longer, behind a dialog or a stalled
    // machine, starts from now).
    class DueScope {
      public:
        DueScope(SimClock& c, int64_t dueMs);
        ~DueScope();
        DueScope(const DueScope&) = delete;
        DueScope& operator=(const DueScope&) = delete;

      private:
        SimClock& c_;
        std::optional<int64_t> before_;
    };
    static constexpr int64_t kMaxLateMs = 50;
    // The real time itself, whatever is running.
    int64_t realNowMs() const;

    // Runs `fn` on this thread at `dueMs` (at once, on the next turn, when it has passed).
    // Nothing runs once `owner` is gone. Entries due at the same moment run in the order
    // they were scheduled, which keeps a virtual run repeatable.
    uint64_t schedule(int64_t dueMs, QObject* owner, std::function<void()> fn);
    uint64_t after(int64_t ms, QObject* owner, std::function<void()> fn) {
        return schedule(nowMs() + ms, owner, std::move(fn));
    }
    void cancel(uint64_t id);
    // When the next entry is due, if any.
    std::optional<int64_t> nextDue() const;

    // Real time only: the clock reads 0 until startNow(), as a virtual clock stays at 0
    // until its script starts, so a script's moments are the same numbers in both.
    void waitForStart();
    void startNow();

    // Virtual time only: while a hold is taken (speech being synthesised, a sound being
    // decoded) the clock does not move, so their results are in place when it goes on.
    void hold();
    void release();
    int holds() const { return holds_; }
    // Something that stopped the clock from moving (see mayAdvance) has ended.
    void poke() { arm(); }
    // Virtual time only: the clock moves only when this says the program may go on (no
    // dialog the operator opened, no voice being made); looked at again every millisecond.
    std::function<bool()> mayAdvance;
    // Virtual time only: a gate shut keeps the clock where it is; whoever shuts it pokes
    // the clock when it opens again (a queue with commands that can run now).
    uint64_t addGate(std::function<bool()> open);
    void removeGate(uint64_t id);

  Q_SIGNALS:
    // Virtual time only: the clock moved from `fromMs` to `toMs` (the mixer renders that
    // span of sound).
    void advanced(int64_t fromMs, int64_t toMs);

  private:
    struct Entry {
        QPointer<QObject> owner;
        bool hasOwner = false;
        std::function<void()> fn;
    };
    using Key = std::pair<int64_t, uint64_t>; // due, then order of scheduling
    void arm();
    void fireDue();
    void step();

    Mode mode_ = Mode::Real;
    QElapsedTimer real_;
    std::optional<int64_t> due_; // what a DueScope reads
    bool waitingForStart_ = false;
    int64_t virtualNow_ = 0;
    uint64_t nextId_ = 0;
    std::map<Key, Entry> entries_;
    std::map<uint64_t, Key> keys_;
    QTimer timer_;
    bool stepPosted_ = false;
    bool firing_ = false;
    int holds_ = 0;
    std::map<uint64_t, std::function<bool()>> gates_;
};

// A repeating or single timer on the simulator's clock, shaped like QTimer.
class SimTimer : public QObject {
    Q_OBJECT
  public:
    explicit SimTimer(QObject* parent = nullptr, SimClock* clock = nullptr);
    ~SimTimer() override;
    // On a running timer, as QTimer: it starts again from now.
    void setInterval(int ms);
    int interval() const { return interval_; }
    void setSingleShot(bool on) { singleShot_ = on; }
    void start();
    void start(int ms) {
        interval_ = ms;
        start();
    }
    void stop();
    bool isActive() const { return id_ != 0; }
    // Simulator milliseconds until it fires, -1 when stopped.
    int64_t remainingMs() const;

  Q_SIGNALS:
    void timeout();

  private:
    void fired();
    SimClock& clock_;
    int interval_ = 0;
    bool singleShot_ = false;
    uint64_t id_ = 0;
    int64_t due_ = 0;
};

// A hold on the clock for as long as it lives.
class SimClockHold {
  public:
    explicit SimClockHold(SimClock& c) : c_(&c) { c_->hold(); }
    ~SimClockHold() {
        if (c_)
            c_->release();
    }
    SimClockHold(const SimClockHold&) = delete;
    SimClockHold& operator=(const SimClockHold&) = delete;

  private:
    SimClock* c_;
};
