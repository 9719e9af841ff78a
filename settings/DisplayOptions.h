#pragma once
// How the board is drawn (zoom, LED look): our own options, kept in a small file beside the
// settings file, so the .in4 stays byte for byte what the original writes.
#include "Options.h"

#include <QString>

namespace displayoptions {

// "527.in4" -> "527.display"
QString pathBeside(const QString& settingsPath);
// Missing, unreadable or out-of-range values keep the defaults.
void load(const QString& path, Options& o);
bool save(const QString& path, const Options& o);

} // namespace displayoptions
