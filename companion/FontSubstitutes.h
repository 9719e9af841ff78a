#pragma once
// Maps the Windows face names the board is designed with onto installed typefaces; the
// program calls it once at start, before any window is built.

namespace ApiLib {
void installFontSubstitutes();
} // namespace ApiLib
