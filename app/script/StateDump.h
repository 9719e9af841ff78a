#pragma once
// The whole observable state of the simulator as one JSON object, for scripts.
#include <QJsonObject>

struct Program;

QJsonObject dumpState(const Program& p);
// The control panel's part alone: the entry, the switches, which controls take input.
QJsonObject dumpPanel(const Program& p);
