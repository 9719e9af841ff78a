#pragma once
// What the board update lends the ticket draw call. The stop name and the date are CP932
// buffers the plug-in side may rewrite; the caller takes back what they hold.
#include <QByteArray>
#include <cstdint>

struct SeirikenArgs {
    QByteArray stopName;
    QByteArray date;
    QByteArray time; // HH:MM:SS, 24-hour clock
    int32_t route = 0;
    int16_t ticketNo = 0;
    int16_t row = 0;
    int16_t company = -1; // index in the panel's company list, -1 when none
};
