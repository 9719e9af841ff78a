#pragma once
// Platform declarations: what the rest of the program needs from the operating system,
// kept here so that a build for another system swaps only this layer.
#include "ByteText.h"

#include <QString>

namespace ApiLib {

// Name of the running operating system, e.g. "Linux 6.1".
QString GetOsInfo();
// Whether the system is of the old family that draws segment digits thin with one pixel
// of extra spacing. Never on this platform.
bool isLegacyDisplaySystem();

// The path separator used when a folder and a file name are joined.
QChar pathSeparator();
// Folder text with one separator appended when it is not empty and lacks one.
QString withTrailingSeparator(const QString& folder);

// Gothic and Mincho faces that stand in for the Windows ones, by family name.
QString gothicFamily();
QString minchoFamily();
QString pGothicFamily();

} // namespace ApiLib
