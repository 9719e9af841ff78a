#pragma once
// A trip that runs by itself: at each stop the next announcement is played (which steps
// the board when its line says so) or, without a broadcast list, the board steps; then
// it waits the interval, or until the chimes and the voice have finished when that is
// later, and goes on. It stops at the end of the route.
#include "SimClock.h"
#include <QObject>
#include <functional>

class CommandQueue;
class Trip;

class AutoRun : public QObject {
    Q_OBJECT
  public:
    // `busy` tells whether a chime or the voice is still sounding.
    // Each stop is a command in `queue` (none: run at once).
    AutoRun(Trip& trip, std::function<bool()> busy, CommandQueue* queue = nullptr,
            QObject* parent = nullptr);

    // Starts (or goes on with a new interval, 0.05-600 s) from the current stop; false when
    // no route is set or the route is already at its end.
    bool start(double intervalSeconds);
    void stop();
    bool running() const { return running_; }
    double interval() const { return interval_; }

  Q_SIGNALS:
    void changed(); // started or stopped

  private:
    // One stop: announce or step, then arm the wait.
    void advance();
    // The interval is over: go on once everything has finished sounding.
    void intervalOver();
    // After the stop's waiting sounds: the end, or the next interval.
    void armWait();
    bool atEnd() const;

    Trip& trip_;
    std::function<bool()> busy_;
    CommandQueue* queue_;
    SimTimer wait_;
    SimTimer poll_;
    double interval_ = 8.0;
    bool running_ = false;
};
