#pragma once
// One pattern as the board's own files: the fare data (a row per stop, the ticket number
// a passenger boarding there takes, the fare from each ticket to the stop) and the
// announcements in the demo's style. Boarding stops whose fares to every later stop are
// equal share a ticket number, as the tickets of a real route do.
#include "Fares.h"
#include "Hy3Format.h"

#include <QByteArray>
#include <QStringList>

namespace gtfs {

struct BoardData {
    hy3::File fares;
    QByteArray broadcast;        // Ntp.csv, CP932
    int tickets = 0;             // ticket numbers used
    int over999 = 0;             // fares the three-digit cells cannot show
    QStringList replaced;        // characters CP932 lacks, written as 〓
    std::vector<int> firstRowOfTicket; // 0-based row where each ticket is issued first
};

// Ticket numbers by row (1-based numbers, one per row) from the fare matrix.
std::vector<int> groupTickets(const FareMatrix& m);

// The stop's name as CP932 bytes, a character the code page lacks written as 〓 (noted).
std::string encodeName(const QString& name, QStringList& replaced);

BoardData makeBoard(const Feed& f, const Pattern& p, const FareMatrix& m);

} // namespace gtfs
