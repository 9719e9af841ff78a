#pragma once
// The files of a feed as published: a .zip (read through libzip) or a folder, the text
// files found wherever they sit (operators zip a folder as often as its files). Archives
// that would unpack to an absurd size are refused before anything is inflated.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>

namespace gtfs {

// What an archive may unpack to: no feed comes near, a zip bomb does.
inline constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;
inline constexpr qint64 kMaxTotalBytes = 1024LL * 1024 * 1024;
inline constexpr qint64 kMaxRatio = 200; // uncompressed per compressed byte, past 1 MiB

class FeedFiles {
  public:
    // A .zip or a folder; nothing and `error` set when it cannot be read.
    static std::unique_ptr<FeedFiles> open(const QString& path, QString* error);
    virtual ~FeedFiles() = default;
    // The file of that name ("stops.txt"), in any folder and letter case; nothing when
    // the feed has none. `error` is set when it is there but cannot be read.
    std::optional<QByteArray> read(const QString& name, QString* error = nullptr) const;
    bool has(const QString& name) const { return names_.contains(name.toLower()); }
    const QString& path() const { return path_; }

  protected:
    virtual std::optional<QByteArray> readEntry(const QString& entry, QString* error) const = 0;
    QString path_;
    QHash<QString, QString> names_; // "stops.txt" -> the entry as stored
};

} // namespace gtfs
