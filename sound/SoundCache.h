#pragma once
// Converted sounds kept by file: a step sound played at every stop is decoded and
// converted once. A file is known by its path, size and modification time, so an edited
// file is read again. Bounded in bytes, the least recently used going first. Shared by
// the UI thread (look-ups) and the loader thread (fills), so it locks.
#include "Mixer.h"

#include <QString>
#include <list>
#include <memory>
#include <mutex>
#include <optional>

class SoundCache {
  public:
    // 64 MiB: about three minutes of converted sound, far more than a set of chimes.
    static constexpr size_t kDefaultBytes = 64u << 20;

    struct Key {
        QString path;
        qint64 size = 0;
        qint64 modifiedMs = 0;
        bool operator==(const Key&) const = default;
    };
    // The key of a regular file now; none for a folder, a missing path and the like.
    static std::optional<Key> keyOf(const QString& path);

    explicit SoundCache(size_t maxBytes = kDefaultBytes) : maxBytes_(maxBytes) {}

    std::shared_ptr<const Pcm> find(const Key& key);
    // A sound larger than the whole bound is not kept.
    void put(const Key& key, std::shared_ptr<const Pcm> pcm);
    size_t bytes() const;
    size_t count() const;

  private:
    struct Entry {
        Key key;
        std::shared_ptr<const Pcm> pcm;
        size_t bytes = 0;
    };
    mutable std::mutex mutex_;
    std::list<Entry> entries_; // most recently used first
    size_t bytes_ = 0;
    size_t maxBytes_;
};
