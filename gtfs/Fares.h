#pragma once
// The fare between every two stops of a pattern, from the feed's fare rules: a rule
// matches a route, an origin zone, a destination zone and (when it names one) a zone the
// ride passes; an empty field matches anything. Where several rules match, the cheapest
// price counts, as trip planners take it; a pair no rule matches has no fare.
#include "Patterns.h"

#include <QHash>
#include <unordered_map>
#include <vector>

namespace gtfs {

struct FareMatrix {
    int n = 0;
    std::vector<int> price; // n * n, price[i * n + j] for boarding i, alighting j > i; -1 none
    int pairs = 0, covered = 0;
    int conflicts = 0;   // pairs matched by rules with different prices
    QStringList conflictExamples; // a few, "A → B: 200/210"
    int at(int i, int j) const { return price[static_cast<size_t>(i * n + j)]; }
    int coveragePercent() const { return pairs == 0 ? 100 : covered * 100 / pairs; }
};

class FareIndex {
  public:
    explicit FareIndex(const Feed& f);
    FareMatrix forPattern(const Pattern& p) const;
    // The feed has no fare rules but exactly one price: it is the fare of every ride.
    bool flat() const { return flat_ >= 0; }

  private:
    const Feed& f_;
    int flat_ = -1;
    // Routes and zones as small numbers (0 for "any"), so a rule's key is one integer.
    int id(const QString& name) const;
    QHash<QString, int> ids_;
    std::unordered_map<quint64, std::vector<int>> rules_; // key(route, origin, destination)
    std::vector<FareRule> containing_; // rules that name a zone passed
};

} // namespace gtfs
