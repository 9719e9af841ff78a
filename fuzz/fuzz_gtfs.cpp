// The open-data feed reader: any bytes, cut into the files of a feed, are read as a feed,
// and whatever reads is carried through to the board's files as an import would.
#include "BoardData.h"
#include "Feed.h"
#include "Patterns.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace {

class MemoryFeed : public gtfs::FeedFiles {
  public:
    explicit MemoryFeed(const QByteArray& bytes) {
        static const char* const names[] = {"stops.txt",           "routes.txt",
                                            "trips.txt",           "stop_times.txt",
                                            "fare_attributes.txt", "fare_rules.txt",
                                            "translations.txt",    "agency.txt"};
        const QList<QByteArray> parts = bytes.split('\x1e');
        for (int i = 0; i < parts.size() && i < 8; ++i) {
            const QString n = QString::fromLatin1(names[i]);
            names_.insert(n, n);
            files_[n] = parts[i];
        }
    }

  protected:
    std::optional<QByteArray> readEntry(const QString& entry, QString*) const override {
        return files_.at(entry);
    }

  private:
    std::map<QString, QByteArray> files_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFeed files(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    auto loaded = gtfs::loadFeed(files);
    if (auto* f = std::get_if<gtfs::Feed>(&loaded)) {
        const gtfs::FareIndex index(*f);
        int n = 0;
        for (const gtfs::Pattern& p : gtfs::findPatterns(*f)) {
            if (++n > 4 || p.stops.size() > 400)
                break;
            (void)gtfs::makeBoard(*f, p, index.forPattern(p));
        }
    }
    return 0;
}
