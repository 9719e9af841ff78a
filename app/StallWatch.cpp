#include "StallWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <cstdio>

namespace {
// The outermost-to-innermost dispatch on the UI thread, as the sampler may read it.
std::atomic<const char*> handlingClass{nullptr};
std::atomic<int> handlingType{0};
std::mutex activityMutex;
QString activity;
} // namespace

StallWatch::Dispatch::Dispatch(QObject* receiver, QEvent* event)
    : previousClass_(handlingClass.load()), previousType_(handlingType.load()),
      active_(QCoreApplication::instance() &&
              QThread::currentThread() == QCoreApplication::instance()->thread()) {
    if (!active_)
        return;
    handlingClass = receiver ? receiver->metaObject()->className() : nullptr;
    handlingType = event ? static_cast<int>(event->type()) : 0;
}

StallWatch::Dispatch::~Dispatch() {
    if (!active_)
        return;
    handlingClass = previousClass_;
    handlingType = previousType_;
}

void StallWatch::setActivity(const QString& what) {
    std::lock_guard lock(activityMutex);
    activity = what;
}

StallWatch::StallWatch(bool log, QObject* parent) : QObject(parent), log_(log) {
    clock_.start();
    lastBeatMs_ = clock_.elapsed();
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kBeatMs);
    connect(&timer_, &QTimer::timeout, this, &StallWatch::beat);
    timer_.start();
    sampler_ = std::thread([this] { sample(); });
}

StallWatch::~StallWatch() {
    running_ = false;
    sampler_.join();
}

void StallWatch::beat() {
    const qint64 now = clock_.elapsed();
    if (!started_) {
        // The first beat comes when the event loop first turns: start-up is not a stall.
        started_ = true;
        lastBeatMs_ = now;
        return;
    }
    const double gap = static_cast<double>(now - lastBeatMs_.load());
    lastBeatMs_ = now;
    // A beat is due every 5 ms; what is later than that is time the loop did not turn.
    const double stall = std::max(0.0, gap - kBeatMs);
    longestMs_ = std::max(longestMs_, stall);
    auto& slot = recent_[static_cast<size_t>((now / 1000) % kRecentSeconds)];
    if (slot.first != now / 1000)
        slot = {now / 1000, 0.0};
    slot.second = std::max(slot.second, stall);
    if (stall <= kReportMs) {
        caught_ = false;
        return;
    }
    ++over_;
    if (log_) {
        QString what;
        {
            std::lock_guard lock(mutex_);
            what = seen_;
        }
        std::fprintf(stderr, "stall: %.0f ms in %s\n", stall,
                     qPrintable(what.isEmpty() ? QStringLiteral("(unknown)") : what));
        std::fflush(stderr);
    }
    std::lock_guard lock(mutex_);
    seen_.clear();
    caught_ = false;
}

void StallWatch::sample() {
    while (running_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Half the reporting threshold: a stall just over it is still caught in the act.
        if (!started_ || caught_ || clock_.elapsed() - lastBeatMs_.load() <= kReportMs / 2)
            continue;
        // Stalled now: note what the UI thread is in the middle of.
        const char* cls = handlingClass.load();
        QString what = cls ? QStringLiteral("%1 (event %2)")
                                 .arg(QString::fromLatin1(cls))
                                 .arg(handlingType.load())
                           : QStringLiteral("no event");
        {
            std::lock_guard lock(activityMutex);
            if (!activity.isEmpty())
                what += QStringLiteral(", during ") + activity;
        }
        std::lock_guard lock(mutex_);
        seen_ = what;
        caught_ = true;
    }
}

double StallWatch::recentLongestStallMs() const {
    const qint64 second = clock_.elapsed() / 1000;
    double longest = 0;
    for (const auto& [at, ms] : recent_)
        if (second - at < kRecentSeconds)
            longest = std::max(longest, ms);
    return longest;
}
