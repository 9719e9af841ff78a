#pragma once
// The stop patterns of a feed: the trips of one route and direction that stop at the
// same stops in the same order are one pattern, and each becomes one fare data file.
#include "Feed.h"

#include <vector>

namespace gtfs {

struct Pattern {
    int route = -1;     // index into Feed::routes
    int direction = -1;
    std::vector<int> stops; // indices into Feed::stops; a loop may visit a stop twice
    int trips = 0;
    QString headsign;   // the most common of its trips
    bool main = false;  // the one with the most trips of its route and direction
    // Stable over imports of the same feed: the route, direction and stop ids.
    QString key(const Feed& f) const;
    QString stopIds(const Feed& f) const;
};

// In the order of routes.txt, then direction, then most trips first.
std::vector<Pattern> findPatterns(const Feed& f);

} // namespace gtfs
