#pragma once
// The options dialog's list entries, as data: numbering modes, cell and column numbers,
// stop-name typeface and prefix choices.
#include <QStringList>

namespace optionlists {

// Combo2: the twelve numbering modes, entry 0 marked as the default.
QStringList numberingModes();
// Combo4(0..3): cells "1" to "32".
QStringList cells();
// Combo1 and Combo4(4): data columns "1" to "150".
QStringList columns();
// Combo3: stop-name typefaces.
QStringList chimeiFonts();
// Combo6: the 「次は」 display.
QStringList tsugiwaDisplays();
// Combo5: the 「次は」 typefaces.
QStringList tsugiwaFonts();
// The LED look's colours: the options' own, then the presets.
QStringList ledColors();

} // namespace optionlists
