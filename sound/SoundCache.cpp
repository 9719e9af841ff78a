#include "SoundCache.h"

#include <QDateTime>
#include <QFileInfo>

std::optional<SoundCache::Key> SoundCache::keyOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return Key{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()};
}

std::shared_ptr<const Pcm> SoundCache::find(const Key& key) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->key == key) {
            entries_.splice(entries_.begin(), entries_, it);
            return it->pcm;
        }
    return nullptr;
}

void SoundCache::put(const Key& key, std::shared_ptr<const Pcm> pcm) {
    if (!pcm)
        return;
    const size_t size = pcm->samples.size() * sizeof(float);
    if (size > maxBytes_)
        return;
    std::lock_guard lock(mutex_);
    // The same path again (an edited file) replaces its older version.
    for (auto it = entries_.begin(); it != entries_.end();)
        if (it->key.path == key.path) {
            bytes_ -= it->bytes;
            it = entries_.erase(it);
        } else {
            ++it;
        }
    entries_.push_front({key, std::move(pcm), size});
    bytes_ += size;
    while (bytes_ > maxBytes_) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
}

size_t SoundCache::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

size_t SoundCache::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}
