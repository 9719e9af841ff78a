#pragma once
// Waits for the benchmarks, which measure the machine in real time: a local event loop
// that keeps the program's threads' answers coming while the measurement runs.
#include "MciInterpreter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace bench {

inline void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Until `done` holds, looked at every few milliseconds; at most `limitMs`.
inline void waitUntil(const std::function<bool()>& done, int limitMs = 30000) {
    if (done())
        return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
}

inline void waitForLoads(const MciInterpreter& m) {
    waitUntil([&m] { return !m.anyLoading(); });
}

} // namespace bench
