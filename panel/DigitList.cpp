#include "DigitList.h"

#include <QSignalBlocker>

DigitList::DigitList(QWidget* parent) : QListWidget(parent) {
    for (int d = 0; d <= 9; ++d) {
        auto* item = new QListWidgetItem(QString::number(d), this);
        item->setSizeHint(QSize(15, 12));
        item->setTextAlignment(Qt::AlignCenter);
    }
    setCurrentRow(-1);
}

void DigitList::focusInEvent(QFocusEvent* e) {
    if (currentIndex().isValid()) {
        QListWidget::focusInEvent(e);
        return;
    }
    // The view's own choice of a current row on focus is taken back unseen.
    const QSignalBlocker viewSignals(this);
    const QSignalBlocker modelSignals(selectionModel());
    QListWidget::focusInEvent(e);
    selectionModel()->clear();
}
