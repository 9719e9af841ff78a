#pragma once
// The operator's keys: one key for each button an operator presses while the bus runs, as
// a real console has a button for each. The keys work while the panel or the board is the
// active window and act as a click on their button, so a greyed button refuses its key.
#include <QKeySequence>
#include <QString>
#include <vector>

class frmCtl;
class QAbstractButton;
class QWidget;

struct PanelKey {
    Qt::Key key;
    const char* button; // what it presses, as the panel labels it
};

// Every key in the order the README and --help list them.
const std::vector<PanelKey>& panelKeys();
// The keys as text for the help ("PgDn データ送り, PgUp データ戻し, ...").
QString panelKeysText();

// Binds the keys on `panel` and on each of `others` (the board), and names each key in
// its button's tooltip.
void installPanelKeys(frmCtl& panel, const std::vector<QWidget*>& others);
