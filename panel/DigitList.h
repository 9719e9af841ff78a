#pragma once
// A digit list of the list page (0-9). Qt's item views make their first row current when
// they gain the keyboard focus, which would choose a digit (and play the reset sound)
// before the operator did anything: here focus alone never chooses; a click or a key does.
#include <QListWidget>

class DigitList : public QListWidget {
  public:
    explicit DigitList(QWidget* parent);

  protected:
    void focusInEvent(QFocusEvent* e) override;
};
