#pragma once
// The Route table of the current route and its state, and reading a fare data file
// into it. The table is only replaced by a load that read the whole file successfully.
#include "Hy3Format.h"
#include "Limits.h"
#include "Outcome.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

constexpr int kRouteCapacity = limits::kRouteRows;
constexpr int kDataColumns = limits::kDataColumns;

struct RouteRow {
    QString StopName;
    std::string StopNameBytes; // CP932 as read, so the display never encodes it again
    int16_t TicketNo = 0;
    std::array<int16_t, kDataColumns> columns{}; // data column k is columns[k - 1]

    int16_t column(int k) const;
};

struct RouteState {
    QString RouteDigits;
    int16_t StartSection = 1;
    int16_t CurrentRow = 1;
    int16_t RowCount = 0;
};

class RouteTable {
  public:
    RouteTable();

    const RouteRow& row(int i) const;
    RouteRow& row(int i);

    void ClearRouteTable();
    // Field 1 is the stop name, 2 the ticket number, 3-152 data columns 1-150.
    void SetRouteCell(int row, int field, const QString& text);
    void SetRouteCell(int row, int field, long long value);
    // The stop name as the file stores it; the text form is decoded once from it.
    void SetRouteName(int row, std::string cp932Bytes);

  private:
    std::vector<RouteRow> rows_;
};

// Route file number: the digits read as a decimal number, written without leading zeros.
QString routeFileNumber(const QString& routeDigits);
// Folder + route file number + ".hy3", the folder given a separator when it lacks one.
QString fareDataPath(const QString& folder, const QString& routeDigits);

// The message box title and the three rejection messages of a route load.
QString msgNoRouteData();
QString msgZeroRows();
QString msgSectionTooLarge();

// Reads the route file into the table. On success replaces the table, RowCount and
// CurrentRow (= startSection); on failure returns the reason for the operator and leaves
// them as they were. RouteDigits and StartSection are set by the caller beforehand.
Outcome LoadFareData(RouteTable& table, RouteState& state, const QString& folder);
