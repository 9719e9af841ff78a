#pragma once
// The whole observable state of the simulator as one JSON object, for scripts.
#include <QJsonArray>
#include <QJsonObject>

struct Program;

QJsonObject dumpState(const Program& p);
// The control panel's part alone: the entry, the switches, which controls take input.
QJsonObject dumpPanel(const Program& p);
// Every colour a lit segment, dot or label may have on the board as it is drawn now
// (0xBBGGRR, as the options store colours): the overlay page keeps these and clears the rest.
QJsonArray litColors(const Program& p);
