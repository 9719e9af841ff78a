#pragma once
// Reading a feed and writing its routes into a fare data folder: the list of routes and
// patterns with the numbers they get, and the import itself (fare data, announcements,
// readings, names in other languages and a table of what was imported), written so that
// a failure leaves the folder as it was, with a report of what the feed could not give.
#include "BoardData.h"
#include "Feed.h"
#include "Patterns.h"

#include <QJsonObject>
#include <functional>
#include <memory>
#include <optional>

namespace gtfs {

// A pattern as the list shows it.
struct PatternInfo {
    Pattern pattern;
    int number = 0; // the route number its files get
    QString route, headsign, first, last;
    int stops = 0, tickets = 0, coverage = 0, conflicts = 0;
    bool tooLong() const { return stops > limits::kRouteRows; }
};

struct Listing {
    QString agency;
    std::vector<PatternInfo> patterns;
};

// A feed read once, with its fares indexed; what the dialog and the tool work on.
class OpenFeed {
  public:
    static std::variant<std::unique_ptr<OpenFeed>, QString> open(const QString& path);
    const Feed& feed() const { return feed_; }
    // Every pattern with the number it gets in `folder` (numbers already given there to
    // the same patterns are kept; new ones never clash with a file in the folder).
    Listing list(const QString& folder) const;

    const std::vector<Pattern>& patterns() const { return patterns_; }
    const FareIndex& fares() const { return *fares_; }

  private:
    QString path_;
    Feed feed_;
    std::vector<Pattern> patterns_;
    std::unique_ptr<FareIndex> fares_;
};

struct PatternReport {
    int number = 0;
    QString route, first, last;
    int stops = 0, tickets = 0, coverage = 0, conflicts = 0, over999 = 0;
    QStringList conflictExamples, replaced, withoutReading;
    bool refused = false; // over 301 stops
};

struct ImportReport {
    QString error; // empty when the files were written
    QString folder;
    std::vector<PatternReport> patterns;
    QString text() const;
    // The same for the dialog, in Japanese.
    QString textJa() const;
    QJsonObject json() const;
    bool ok() const { return error.isEmpty(); }
};

struct ImportRequest {
    QString folder;
    // Route ids or names (short, long or both as listed); empty: every route.
    QStringList routes;
    bool allPatterns = false; // else the main pattern of each route and direction
    // Or exactly these patterns (indices into the listing), as the dialog ticks them.
    std::vector<int> chosen;
    std::function<void(int done, int total)> progress;
    std::function<bool()> cancelled;
};

ImportReport importPatterns(const OpenFeed& feed, const ImportRequest& request);

// The number a pattern gets: a stable hash of its key into 10000-99999, moved on past
// numbers that are taken.
int numberFor(const QString& key, const QSet<int>& taken);

} // namespace gtfs
