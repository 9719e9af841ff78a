#pragma once
// Platform declarations: what the rest of the program needs from the operating system,
// kept here so that a build for another system swaps only this layer.
#include <QString>
#include <string>

namespace ApiLib {

// Byte length of the text in CP932.
int LenB_ASCII(const QString& text);
// The CP932 bytes of the text from the 1-based byte position `start`, at most `count`
// of them; fewer or none at the end of the text.
std::string MidB_ASCII(const QString& text, int start, int count);

// Name of the running operating system, e.g. "Linux 6.1".
QString GetOsInfo();
// Whether the system is of the old family that draws segment digits thin with one pixel
// of extra spacing. Never on this platform.
bool isLegacyDisplaySystem();

// The path separator used when a folder and a file name are joined.
QChar pathSeparator();
// Folder text with one separator appended when it is not empty and lacks one.
QString withTrailingSeparator(const QString& folder);

// Maps the Windows face names the board is designed with onto installed typefaces.
void installFontSubstitutes();

// Gothic and Mincho faces that stand in for the Windows ones, by family name.
QString gothicFamily();
QString minchoFamily();
QString pGothicFamily();

} // namespace ApiLib
