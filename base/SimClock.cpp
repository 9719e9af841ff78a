#include "SimClock.h"

#include <algorithm>

SimClock::SimClock(QObject* parent) : QObject(parent) {
    real_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { step(); });
}

SimClock& SimClock::global() {
    static SimClock* clock = new SimClock; // lives as long as the program
    return *clock;
}

void SimClock::setMode(Mode m) {
    mode_ = m;
    virtualNow_ = 0;
    real_.restart();
    arm();
}

int64_t SimClock::nowMs() const {
    if (mode_ == Mode::Virtual)
        return virtualNow_;
    return due_ ? *due_ : realNowMs();
}

int64_t SimClock::realNowMs() const {
    if (mode_ == Mode::Virtual)
        return virtualNow_;
    return waitingForStart_ ? 0 : real_.elapsed();
}

void SimClock::waitForStart() {
    if (mode_ == Mode::Real)
        waitingForStart_ = true;
}

void SimClock::startNow() {
    if (!waitingForStart_)
        return;
    waitingForStart_ = false;
    real_.restart();
    arm();
}

SimClock::DueScope::DueScope(SimClock& c, int64_t dueMs) : c_(c), before_(c.due_) {
    if (c_.mode_ == Mode::Real) {
        const int64_t real = c_.realNowMs();
        c_.due_ = std::clamp(dueMs, real - kMaxLateMs, real);
    }
}

SimClock::DueScope::~DueScope() {
    c_.due_ = before_;
}

uint64_t SimClock::schedule(int64_t dueMs, QObject* owner, std::function<void()> fn) {
    const uint64_t id = ++nextId_;
    const Key key{dueMs, id};
    entries_.emplace(key, Entry{QPointer<QObject>(owner), owner != nullptr, std::move(fn)});
    keys_.emplace(id, key);
    arm();
    return id;
}

void SimClock::cancel(uint64_t id) {
    const auto it = keys_.find(id);
    if (it == keys_.end())
        return;
    entries_.erase(it->second);
    keys_.erase(it);
}

std::optional<int64_t> SimClock::nextDue() const {
    if (entries_.empty())
        return std::nullopt;
    return entries_.begin()->first.first;
}

uint64_t SimClock::addGate(std::function<bool()> open) {
    const uint64_t id = ++nextId_;
    gates_.emplace(id, std::move(open));
    return id;
}

void SimClock::removeGate(uint64_t id) {
    gates_.erase(id);
    arm();
}

void SimClock::hold() {
    ++holds_;
}

void SimClock::release() {
    holds_ = std::max(0, holds_ - 1);
    if (holds_ == 0)
        arm();
}

void SimClock::arm() {
    if (firing_)
        return; // fireDue arms again when it has finished
    if (mode_ == Mode::Virtual) {
        // The next step comes once the events waiting now have been handled: painting,
        // answers from threads, input.
        if (!entries_.empty() && !stepPosted_) {
            stepPosted_ = true;
            timer_.start(0);
        }
        return;
    }
    if (entries_.empty()) {
        timer_.stop();
        return;
    }
    const int64_t wait = std::max<int64_t>(0, entries_.begin()->first.first - realNowMs());
    timer_.start(static_cast<int>(std::min<int64_t>(wait, 1 << 30)));
}

void SimClock::step() {
    stepPosted_ = false;
    if (mode_ == Mode::Virtual) {
        // Commands that can run now go before whatever else is due at this moment, and
        // the clock stays until they have run; whoever shut a gate pokes when it opens.
        for (const auto& [id, open] : gates_)
            if (!open())
                return;
        if (!entries_.empty() && entries_.begin()->first.first > virtualNow_) {
            if (holds_ > 0)
                return; // release() steps again
            if (mayAdvance && !mayAdvance()) {
                // A dialog is open or the voice is being made; look again shortly.
                stepPosted_ = true;
                timer_.start(1);
                return;
            }
            const int64_t from = virtualNow_;
            virtualNow_ = entries_.begin()->first.first;
            Q_EMIT advanced(from, virtualNow_);
        }
    }
    fireDue();
}

void SimClock::fireDue() {
    firing_ = true;
    // Entries added while these run, due now, run in this turn too; later ones wait.
    while (!entries_.empty() && entries_.begin()->first.first <= realNowMs()) {
        auto it = entries_.begin();
        const int64_t due = it->first.first;
        Entry e = std::move(it->second);
        keys_.erase(it->first.second);
        entries_.erase(it);
        if (e.hasOwner && !e.owner)
            continue;
        const DueScope at(*this, due);
        e.fn();
    }
    firing_ = false;
    arm();
}

SimTimer::SimTimer(QObject* parent, SimClock* clock)
    : QObject(parent), clock_(clock ? *clock : SimClock::global()) {}

SimTimer::~SimTimer() {
    stop();
}

void SimTimer::setInterval(int ms) {
    interval_ = ms;
    if (isActive())
        start();
}

void SimTimer::start() {
    stop();
    due_ = clock_.nowMs() + std::max(0, interval_);
    id_ = clock_.schedule(due_, this, [this] { fired(); });
}

void SimTimer::stop() {
    if (id_ != 0)
        clock_.cancel(id_);
    id_ = 0;
}

int64_t SimTimer::remainingMs() const {
    return id_ == 0 ? -1 : std::max<int64_t>(0, due_ - clock_.nowMs());
}

void SimTimer::fired() {
    id_ = 0;
    if (!singleShot_) {
        // From the moment it was due, so a repeating timer keeps its beat.
        due_ += std::max(1, interval_);
        if (due_ < clock_.realNowMs() - 250)
            due_ = clock_.realNowMs() + std::max(1, interval_); // after a stall: no catch-up burst
        id_ = clock_.schedule(due_, this, [this] { fired(); });
    }
    Q_EMIT timeout();
}
