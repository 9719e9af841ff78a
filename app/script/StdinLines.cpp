#include "StdinLines.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <string>
#include <thread>

namespace {
// Runs the UI thread's handler there, unless the reader's owner has gone meanwhile (both
// of which happen on the UI thread, so they cannot cross).
template <class Shared> void tell(const std::shared_ptr<Shared>& shared) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [shared] {
            if (shared->arrived)
                shared->arrived();
        },
        Qt::QueuedConnection);
}
} // namespace

StdinLines::StdinLines(std::function<void()> arrived) {
    shared_->arrived = std::move(arrived);
    // Detached: the program may end before its input does.
    std::thread([shared = shared_] {
        std::string line;
        for (int c = std::getchar();; c = std::getchar()) {
            if (c == EOF || c == '\n') {
                {
                    std::lock_guard lock(shared->mutex);
                    if (c == '\n' || !line.empty())
                        shared->lines.push_back(QString::fromUtf8(line));
                    if (c == EOF)
                        shared->ended = true;
                }
                line.clear();
                tell(shared);
                if (c == EOF)
                    return;
                continue;
            }
            line.push_back(static_cast<char>(c));
        }
    }).detach();
}

StdinLines::~StdinLines() {
    shared_->arrived = nullptr;
}

std::optional<QString> StdinLines::take() {
    std::lock_guard lock(shared_->mutex);
    if (shared_->lines.empty())
        return std::nullopt;
    QString l = shared_->lines.front();
    shared_->lines.pop_front();
    return l;
}

bool StdinLines::ended() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->ended && shared_->lines.empty();
}
