#include "AutoRun.h"

#include "CommandQueue.h"
#include "Trip.h"

#include <algorithm>
#include <cmath>

AutoRun::AutoRun(Trip& trip, std::function<bool()> busy, CommandQueue* queue, QObject* parent)
    : QObject(parent), trip_(trip), busy_(std::move(busy)), queue_(queue) {
    wait_.setSingleShot(true);
    connect(&wait_, &SimTimer::timeout, this, &AutoRun::intervalOver);
    poll_.setInterval(100);
    connect(&poll_, &SimTimer::timeout, this, &AutoRun::intervalOver);
}

bool AutoRun::atEnd() const {
    const RouteState& s = trip_.state();
    return s.CurrentRow >= s.RowCount && !trip_.tapeHasNext();
}

bool AutoRun::start(double intervalSeconds) {
    interval_ = std::clamp(intervalSeconds, 0.05, 600.0);
    // A blanked board takes no steps: starting a run then would light 自動 and do nothing.
    if (!trip_.routeSet() || atEnd() || (!running_ && trip_.blanked())) {
        stop();
        return false;
    }
    const bool was = running_;
    running_ = true;
    if (!was) {
        Q_EMIT changed();
        advance();
    }
    return true;
}

void AutoRun::stop() {
    wait_.stop();
    poll_.stop();
    if (running_) {
        running_ = false;
        Q_EMIT changed();
    }
}

void AutoRun::advance() {
    if (!running_)
        return;
    if (!trip_.routeSet() || atEnd()) {
        stop();
        return;
    }
    // A blanked board takes no steps; the run waits for it to come back.
    if (!trip_.blanked()) {
        if (trip_.tapeHasNext())
            trip_.tapeNext();
        else
            trip_.step(true);
    }
    if (queue_)
        queue_->then([this] { armWait(); });
    else
        armWait();
}

void AutoRun::armWait() {
    if (!running_)
        return;
    if (atEnd()) {
        stop();
        return;
    }
    wait_.start(static_cast<int>(std::lround(interval_ * 1000)));
}

void AutoRun::intervalOver() {
    if (busy_ && busy_()) {
        if (!poll_.isActive())
            poll_.start();
        return;
    }
    poll_.stop();
    // The stop is a command like the operator's: it waits its turn behind theirs.
    if (queue_)
        queue_->submit(CommandQueue::Source::AutoRun, QStringLiteral("auto"),
                       [this] { advance(); });
    else
        advance();
}
