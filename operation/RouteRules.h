#pragma once
// The operator's rules as data: keypad entry, the starting section, which row a step
// reaches and which sound it plays, and what the board update writes where.
#include "DataIo.h"
#include "DigitValue.h"
#include "Options.h"
#include "SeirikenArgs.h"

#include <QDate>
#include <QDateTime>
#include <optional>
#include <vector>

enum class EntryTarget { Route, Section };

// The keypad page's two labels and which one the digits go to.
struct KeypadEntry {
    QString route;   // Label2(0), at most 5 digits
    QString section; // Label2(2), at most 3 digits
    EntryTarget target = EntryTarget::Section;

    // Button 0-9 appends a digit, 10 selects the route, 11 the section.
    void press(int button);
};

// The section text read as a number: empty or 0 gives 1, 301 and more give 300.
int16_t normalizeSection(const QString& sectionText);

// The row a step reaches, or nothing when it is at the end (no sound, no update).
std::optional<int16_t> stepTarget(const RouteState& s, bool forward);

// Sound file for arriving at `row`: the fixed file, or by the chosen column's value
// 1-3; empty when nothing plays.
QString stepSoundFor(const Options& o, const RouteTable& t, int row);

// Date text mm-dd-yyyy of route setting and ticket printing.
QString routeDateText(const QDate& d);

struct DigitWrite {
    int position; // 1-32 (0 is the hidden spare digit)
    DigitValue value;
};

// What the board update writes for row n, in order: the fares from the starting
// section, then the information digits; plus the stop name and whether the row is
// the first (no prefix).
struct DispPlan {
    std::vector<DigitWrite> writes;
    QString stopName;
    std::string stopNameBytes; // the same name as the file stores it
    bool firstRow = false;
};

DispPlan planDispData(const RouteTable& t, const RouteState& s, const Options& o, bool lateNight,
                      int n);

// The ticket date by the chosen mode: now as MM-DD-YYYY, the route's date, or the fixed
// date text.
QString ticketDateText(const Options& o, const QString& routeDate, const QDate& today);

// The ticket draw call's arguments for row n, the company left at -1 for the panel.
// The route number is the entered digits read as a number; empty gives 0.
SeirikenArgs seirikenArgs(const RouteTable& t, const RouteState& s, const Options& o,
                          const QString& routeDate, const QDateTime& now, int n);
