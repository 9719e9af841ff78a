#include "TelemetryFollower.h"

void TelemetryFollower::reset() {
    last_ = {};
    armed_ = false;
    announced_ = false;
}

TelemetryFollower::Actions TelemetryFollower::update(const remote::Telemetry& t, int currentRow) {
    Actions a;
    if (t.stop && t.stop != last_.stop && *t.stop != currentRow) {
        a.jumpTo = *t.stop;
        // Standing at a stop it was told of, the bus departs from there.
        announced_ = false;
    }
    if (t.doorsOpen.value_or(false))
        armed_ = true;
    const bool doorsClosed = t.doorsOpen && !*t.doorsOpen;
    if (armed_ && doorsClosed && t.speedKmh.value_or(0) > kMovingOffKmh && !a.jumpTo) {
        a.step = true;
        armed_ = false;
        announced_ = false;
    }
    if (t.distanceToNextStopM) {
        if (*t.distanceToNextStopM < announceM_ && !announced_) {
            a.announce = true;
            announced_ = true;
        } else if (*t.distanceToNextStopM >= announceM_) {
            announced_ = false; // moving away again: the next approach announces
        }
    }
    // Fields a message leaves out keep what the last one said.
    if (t.doorsOpen)
        last_.doorsOpen = t.doorsOpen;
    if (t.speedKmh)
        last_.speedKmh = t.speedKmh;
    if (t.stop)
        last_.stop = t.stop;
    if (t.distanceToNextStopM)
        last_.distanceToNextStopM = t.distanceToNextStopM;
    return a;
}

TelemetryFollower::Move TelemetryFollower::onMovingOff(bool hasList, int nextLineFlag) {
    if (!hasList)
        return Move::DataStep;
    // Leaving a stop plays a line that does not step (the welcome after the first stop);
    // the line that names the next stop waits for the approach.
    return nextLineFlag == 0 ? Move::TapeNext : Move::Nothing;
}

TelemetryFollower::Move TelemetryFollower::onApproach(bool hasList, int nextLineFlag) {
    return hasList && nextLineFlag >= 0 ? Move::TapeNext : Move::Nothing;
}
