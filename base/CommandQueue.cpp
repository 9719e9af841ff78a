#include "CommandQueue.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {
// Commands run per turn of the event loop before painting and input get their turn: at
// most this many, and no more once this much of the machine's time has gone (a flood of
// requests must not freeze the windows). Only when the turn ends moves; the order never.
constexpr int kPerTurn = 64;
constexpr qint64 kTurnBudgetNs = 4'000'000;
} // namespace

CommandQueue::CommandQueue(SimClock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    // A virtual clock never moves past a command that could run now.
    gate_ = clock_.addGate([this] { return !runnable(); });
}

CommandQueue::~CommandQueue() {
    clock_.removeGate(gate_);
}

CommandQueue& CommandQueue::global() {
    static CommandQueue* queue = new CommandQueue(SimClock::global());
    return *queue;
}

void CommandQueue::submit(Command c) {
    c.atMs = clock_.nowMs();
    pending_.push_back(std::move(c));
    postPump();
}

bool CommandQueue::runnable() const {
    return !hold_ && (current_ || !steps_.empty() || !pending_.empty());
}

bool CommandQueue::deferHold(std::function<void()> again) {
    // A hold asked for while another holds (or after a step that comes later) waits its
    // turn, so holds follow one another in the order they were asked for.
    if (!hold_ && !(inStep_ && !staged_.empty()))
        return false;
    then(std::move(again));
    return true;
}

void CommandQueue::holdFor(int64_t ms, const QString& why) {
    if (deferHold([this, ms, why] { holdFor(ms, why); }))
        return;
    holdUntilTime(clock_.nowMs() + ms, why);
}

void CommandQueue::holdUntilTime(int64_t dueMs, const QString& why) {
    if (deferHold([this, dueMs, why] { holdUntilTime(dueMs, why); }))
        return;
    if (dueMs <= clock_.nowMs())
        return;
    hold_ = Hold{why, 0, {}, -1};
    hold_->timer = clock_.schedule(dueMs, this, [this] { endHold(); });
}

void CommandQueue::holdUntil(std::function<bool()> ready, const QString& why, int64_t limitMs) {
    if (deferHold([this, ready, why, limitMs] { holdUntil(ready, why, limitMs); }))
        return;
    if (!ready || ready())
        return;
    hold_ = Hold{why, 0, std::move(ready), limitMs < 0 ? -1 : clock_.nowMs() + limitMs,
                 clock_.nowMs() + kPollMs};
    hold_->timer = clock_.schedule(hold_->nextPollAt, this, [this] { poll(); });
}

void CommandQueue::poll() {
    if (!hold_)
        return;
    if (hold_->ready() || (hold_->limitAt >= 0 && clock_.nowMs() >= hold_->limitAt)) {
        endHold();
        return;
    }
    // On a fixed beat from the hold's start, not from this look: in real time each look
    // comes a little late, and a beat that started again from there would slip by that
    // much every time, where a virtual run's does not.
    hold_->nextPollAt += kPollMs;
    if (const int64_t behind = clock_.nowMs() - hold_->nextPollAt; behind > 0)
        hold_->nextPollAt += (behind + kPollMs - 1) / kPollMs * kPollMs; // after a stall
    hold_->timer = clock_.schedule(hold_->nextPollAt, this, [this] { poll(); });
}

void CommandQueue::endHold() {
    hold_.reset();
    // Ended by a timer of the clock: this is the moment it was due.
    releasedAt_ = clock_.nowMs();
    runsAt_ = std::max(runsAt_, releasedAt_);
    postPump();
}

void CommandQueue::then(std::function<void()> fn) {
    if (inStep_) {
        if (hold_ || !staged_.empty())
            staged_.push_back(std::move(fn));
        else
            fn();
        return;
    }
    if (hold_ || !steps_.empty()) {
        steps_.push_back(std::move(fn));
        postPump();
        return;
    }
    fn();
}

void CommandQueue::postPump() {
    if (pumpPosted_)
        return;
    pumpPosted_ = true;
    QTimer::singleShot(0, this, [this] { pump(); });
}

void CommandQueue::runStep(std::function<void()> fn) {
    inStep_ = true;
    fn();
    inStep_ = false;
    steps_.insert(steps_.begin(), std::make_move_iterator(staged_.begin()),
                  std::make_move_iterator(staged_.end()));
    staged_.clear();
}

void CommandQueue::pump() {
    pumpPosted_ = false;
    if (inStep_)
        return; // a step that runs a nested loop of its own: its end pumps again
    if (mayRun && !mayRun()) {
        QTimer::singleShot(20, this, [this] { postPump(); });
        return;
    }
    QElapsedTimer turn;
    turn.start();
    for (int n = 0; n < kPerTurn && turn.nsecsElapsed() < kTurnBudgetNs; ++n) {
        if (hold_) {
            clock_.poke();
            return;
        }
        // What runs now runs as of the moment it could have: in real time the loop gets
        // to it a little later.
        const SimClock::DueScope at(clock_, runsAt_);
        if (!steps_.empty()) {
            auto fn = std::move(steps_.front());
            steps_.pop_front();
            runStep(std::move(fn));
            continue;
        }
        if (current_) {
            auto done = std::move(current_->done);
            current_.reset();
            if (done)
                done();
            continue;
        }
        if (pending_.empty()) {
            clock_.poke();
            Q_EMIT becameIdle();
            return;
        }
        current_ = std::move(pending_.front());
        pending_.pop_front();
        runsAt_ = std::max(current_->atMs, releasedAt_);
        steps_.push_back(current_->run);
    }
    postPump();
}
