#pragma once
// The simulator's one clock: the board's clock, route dates, tickets and the version text
// all read it. A script may stop it at a moment so that a run repeats exactly.
#include <QDateTime>
#include <optional>

class Clock {
  public:
    QDateTime now() const { return stoppedAt_ ? *stoppedAt_ : QDateTime::currentDateTime(); }
    QDate today() const { return now().date(); }
    QTime time() const { return now().time(); }

    void stopAt(const QDateTime& moment) { stoppedAt_ = moment; }
    void run() { stoppedAt_.reset(); }
    const std::optional<QDateTime>& stoppedAt() const { return stoppedAt_; }

  private:
    std::optional<QDateTime> stoppedAt_;
};
