#pragma once
// The simulator's date and time: the board's clock, route dates, tickets and the version
// text all read it. It runs on the simulator's time from the moment the program started,
// so a virtual run shows the time the trip would have shown; a script may stop it at a
// moment so that a run repeats exactly.
#include "SimClock.h"

#include <QDateTime>
#include <optional>

class Clock {
  public:
    explicit Clock(SimClock& sim = SimClock::global())
        : sim_(sim), origin_(QDateTime::currentDateTime().addMSecs(-sim.nowMs())) {}
    QDateTime now() const { return stoppedAt_ ? *stoppedAt_ : origin_.addMSecs(sim_.nowMs()); }
    QDate today() const { return now().date(); }
    QTime time() const { return now().time(); }

    void stopAt(const QDateTime& moment) { stoppedAt_ = moment; }
    void run() { stoppedAt_.reset(); }
    const std::optional<QDateTime>& stoppedAt() const { return stoppedAt_; }

  private:
    SimClock& sim_;
    QDateTime origin_;
    std::optional<QDateTime> stoppedAt_;
};
