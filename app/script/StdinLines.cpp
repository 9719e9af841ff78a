#include "StdinLines.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <string>
#include <thread>

StdinLines::StdinLines() {
    // Detached: the program may end before its input does.
    std::thread([shared = shared_] {
        std::string line;
        for (int c = std::getchar();; c = std::getchar()) {
            if (c == EOF || c == '\n') {
                std::lock_guard lock(shared->mutex);
                if (c == '\n' || !line.empty())
                    shared->lines.push_back(QString::fromUtf8(line));
                line.clear();
                if (c == EOF) {
                    shared->ended = true;
                    return;
                }
                continue;
            }
            line.push_back(static_cast<char>(c));
        }
    }).detach();
}

StdinLines::~StdinLines() = default;

std::optional<QString> StdinLines::next() {
    QEventLoop loop;
    QTimer poll;
    std::optional<QString> got;
    auto take = [&] {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->lines.empty()) {
            got = shared_->lines.front();
            shared_->lines.pop_front();
            return true;
        }
        return shared_->ended;
    };
    if (take())
        return got;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (take())
            loop.quit();
    });
    poll.start(2);
    loop.exec();
    return got;
}
