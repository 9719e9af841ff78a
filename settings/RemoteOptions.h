#pragma once
// Our own options beyond the settings file (the control server, following the bus), kept
// in a small file beside it so the .in4 stays byte for byte what the original writes.
#include "Options.h"

#include <QString>

namespace remoteoptions {

// "527.in4" -> "527.remote"
QString pathBeside(const QString& settingsPath);
// Missing or unreadable: the defaults stay.
void load(const QString& path, Options& o);
bool save(const QString& path, const Options& o);

} // namespace remoteoptions
