#pragma once
// How long the UI thread goes without turning its event loop: a 5 ms heartbeat whose late
// beats are stalls (the longest, and how many passed 50 ms). A sampler thread notes what
// the UI thread was handling while a stall lasts, so a stall can be logged with its cause.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <mutex>
#include <thread>

class QEvent;

class StallWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int kBeatMs = 5;
    static constexpr int kReportMs = 50;

    // With `log`, every stall over 50 ms is written to standard error.
    explicit StallWatch(bool log, QObject* parent = nullptr);
    ~StallWatch() override;

    double longestStallMs() const { return longestMs_; }
    // The longest stall that ended in the last five seconds (start-up long forgotten).
    double recentLongestStallMs() const;
    int stallsOver50ms() const { return over_; }

    // What the UI thread handles now: the application's event dispatch keeps it, and the
    // script runner names its line. Safe to call with no watch running.
    class Dispatch {
      public:
        Dispatch(QObject* receiver, QEvent* event);
        ~Dispatch();
        Dispatch(const Dispatch&) = delete;
        Dispatch& operator=(const Dispatch&) = delete;

      private:
        const char* previousClass_;
        int previousType_;
        bool active_;
    };
    static void setActivity(const QString& what);

  private:
    void beat();
    void sample();

    QTimer timer_;
    QElapsedTimer clock_;
    std::atomic<qint64> lastBeatMs_{0};
    double longestMs_ = 0;
    // The longest stall of each of the last seconds, by second since the start.
    static constexpr int kRecentSeconds = 5;
    std::array<std::pair<qint64, double>, kRecentSeconds> recent_{};
    int over_ = 0;
    bool log_;
    std::mutex mutex_;
    QString seen_; // what was running during the stall now being measured
    std::atomic<bool> caught_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> running_{true};
    std::thread sampler_;
};
