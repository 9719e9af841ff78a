#pragma once
// Standard input line by line as it arrives, for a script fed through a pipe: a thread of
// its own reads, and tells the UI thread (through `arrived`) when a line or the end has
// come.
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class StdinLines {
  public:
    // `arrived` runs on the UI thread whenever input has come.
    explicit StdinLines(std::function<void()> arrived);
    ~StdinLines();
    StdinLines(const StdinLines&) = delete;
    StdinLines& operator=(const StdinLines&) = delete;

    // A line (UTF-8, without its end); none with `ended()` false: nothing yet.
    std::optional<QString> take();
    bool ended() const;

  private:
    // Shared with the reader, which may outlive this object while it waits for input.
    struct Shared {
        std::mutex mutex;
        std::deque<QString> lines;
        bool ended = false;
        std::function<void()> arrived; // read and written on the UI thread only
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};
