#pragma once
// A GTFS-JP feed as the importer needs it: stops (with the station a pole belongs to),
// routes, trips with their stops in order, fares and their rules, and the translations of
// stop names (readings and other languages). Read from untidy real files: a BOM, CRLF,
// quoted fields, blanks in header names, columns in any order.
#include "FeedFiles.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <variant>
#include <vector>

namespace gtfs {

struct Stop {
    QString id, name, zone, parent;
    int locationType = 0;
};

struct Route {
    QString id, agencyId, shortName, longName;
    // What a person calls it: "川56 川崎駅前～" style, short name first.
    QString label() const;
};

struct Trip {
    QString id, routeId, headsign;
    int direction = -1; // -1 when the feed gives none
    std::vector<int> stops; // indices into Feed::stops, in stop_sequence order
};

struct FareRule {
    int fare = -1; // index into Feed::prices
    QString route, origin, destination, contains; // empty matches anything
};

struct Feed {
    QString agency;
    std::vector<Stop> stops;
    QHash<QString, int> stopIndex;
    std::vector<Route> routes;
    QHash<QString, int> routeIndex;
    std::vector<Trip> trips;
    std::vector<int> prices; // by fare, in yen
    QStringList fareIds;
    std::vector<FareRule> rules;
    bool hasFareAttributes = false, hasFareRules = false;
    // Stop names as published -> language tag (normalised) -> the name in that language;
    // the reading is under "ja-Hrkt", in katakana.
    QHash<QString, QMap<QString, QString>> translations;

    // The name a passenger reads for a stop: its station's when the pole belongs to one.
    QString passengerName(int stop) const;
};

struct LoadError {
    QString file;
    int line = 0;
    QString field;
    QString message;
    QString text() const;
};

std::variant<Feed, LoadError> loadFeed(const FeedFiles& files);

// "EN-us" -> "en", "zh-cn" / "zh-Hans-CN" -> "zh-Hans", "ja-HrKt" -> "ja-Hrkt", ...
QString normaliseLanguage(const QString& tag);
// A reading as the board's dictionary keeps it: katakana, full width.
QString toKatakana(const QString& reading);

} // namespace gtfs
