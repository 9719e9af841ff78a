#pragma once
// Following the bus: from the telemetry a game or a cockpit sends, when the board steps
// on, when the next announcement plays, and which row it jumps to. Each message is the
// complete current state, so the same message twice decides nothing new.
#include "Protocol.h"

#include <optional>

class TelemetryFollower {
  public:
    // The bus has moved off once it is faster than this.
    static constexpr double kMovingOffKmh = 5.0;
    static constexpr double kDefaultAnnounceM = 200.0;

    struct Actions {
        std::optional<int> jumpTo; // the row `stop` names, when it is new
        bool step = false;         // the doors closed and the bus moved off
        bool announce = false;     // the next stop came within the distance
        bool operator==(const Actions&) const = default;
    };

    // How the board moves for one kind of action. A route with a broadcast list moves only
    // through 送り, each line's flag deciding whether it steps, as the operator's 送り
    // does; a route without one moves through データ送り. Never both, so a stop is never
    // stepped twice. `nextLineFlag` is the next line's advance flag, -1 when none is left.
    enum class Move { Nothing, DataStep, TapeNext };
    static Move onMovingOff(bool hasList, int nextLineFlag);
    static Move onApproach(bool hasList, int nextLineFlag);

    void setAnnounceDistance(double metres) { announceM_ = metres; }
    double announceDistance() const { return announceM_; }
    // What one message asks for; `currentRow` is where the board stands.
    Actions update(const remote::Telemetry& t, int currentRow);
    // Forgets what was seen (a new route, following switched on).
    void reset();
    const remote::Telemetry& last() const { return last_; }

  private:
    double announceM_ = kDefaultAnnounceM;
    remote::Telemetry last_;
    // Doors were open since the last step: the next moving off steps.
    bool armed_ = false;
    // The announcement for this approach has played.
    bool announced_ = false;
};
