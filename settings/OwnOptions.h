#pragma once
// Our own options beyond the settings file, kept in small files beside it so the .in4
// stays byte for byte what the original writes: the control server and following the bus
// in "527.remote", how the board is drawn (zoom, LED look) in "527.display".
#include "Options.h"

#include <QByteArray>
#include <QString>

namespace ownoptions {

// "527.in4" -> "527<suffix>"
QString pathBeside(const QString& settingsPath, const QString& suffix);
// Both files beside `settingsPath`; a missing or unreadable file, or a value out of
// range, keeps the default.
void load(const QString& settingsPath, Options& o);
bool save(const QString& settingsPath, const Options& o);
// The two files' text, made before anything is written, so a save can put the settings
// file and these in place one right after the other.
struct Texts {
    QByteArray remote, display;
};
Texts texts(const Options& o);
bool write(const QString& settingsPath, const Texts& t);

} // namespace ownoptions
