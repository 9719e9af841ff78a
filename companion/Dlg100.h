#pragma once
// The per-digit settings dialog: how zero is shown, shift to the left and zero fill,
// each kept within what an element of the given number of positions allows.
#include "Companion.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

class Dlg100 : public QDialog {
    Q_OBJECT
  public:
    Dlg100(QWidget* owner, int16_t keta, const DigitDialogValues& initial);
    DigitDialogValues values() const;

  private:
    QComboBox* zeroMode_;
    QSpinBox* shift_;
    QSpinBox* fillZero_;
};
