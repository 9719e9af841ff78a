#pragma once
// Standard input line by line as it arrives, for a script fed through a pipe: a thread of
// its own reads, and the UI thread waits for the next line with its windows painting.
#include <QString>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

class StdinLines {
  public:
    StdinLines();
    ~StdinLines();
    StdinLines(const StdinLines&) = delete;
    StdinLines& operator=(const StdinLines&) = delete;

    // The next line (UTF-8, without its end), or none once input has ended.
    std::optional<QString> next();

  private:
    // Shared with the reader, which may outlive this object while it waits for input.
    struct Shared {
        std::mutex mutex;
        std::deque<QString> lines;
        bool ended = false;
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};
