#pragma once
// Lets the program run on the virtual clock for a span of simulator time, or until
// something holds: the clock jumps from one thing due to the next, so a test of three
// seconds' behaviour takes no more than the work it does, whatever the machine's load.
#include "SimClock.h"

#include <QCoreApplication>
#include <functional>

namespace vt {

// Turns of the event loop without the clock moving before a run gives up: nothing is due
// and nothing is coming.
inline constexpr int kStillTurns = 20000;
inline constexpr int kTurnsAtEnd = 50;

// Runs until `done` or until `limitMs` of simulator time have passed; whether `done` held.
inline bool runUntil(const std::function<bool()>& done, int64_t limitMs,
                     SimClock& clock = SimClock::global()) {
    const int64_t end = clock.nowMs() + limitMs;
    // Something due at the end keeps the clock going there even when nothing else is.
    QObject marker;
    clock.schedule(end, &marker, [] {});
    // ... and never past it, nor on once `done` holds.
    const uint64_t gate = clock.addGate([&clock, &done, end] {
        const auto due = clock.nextDue();
        return (!due || *due <= end) && !done();
    });
    int still = 0;
    int64_t last = clock.nowMs();
    // At the end, a few more turns: what fell due then (a hold's end and the commands
    // behind it) runs without the clock moving.
    while (!done() && still < (clock.nowMs() < end ? kStillTurns : kTurnsAtEnd)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        still = clock.nowMs() == last ? still + 1 : 0;
        last = clock.nowMs();
    }
    clock.removeGate(gate);
    return done();
}

// Runs for exactly `ms` of simulator time.
inline void runFor(int64_t ms, SimClock& clock = SimClock::global()) {
    runUntil([] { return false; }, ms, clock);
}

} // namespace vt
