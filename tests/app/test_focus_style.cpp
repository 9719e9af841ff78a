// The focused control wears a ring in the highlight colour that an operator sees at once,
// and the others do not.
#include "FocusStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

int highlightPixels(QWidget& w) {
    const QImage img = w.grab().toImage();
    const QColor h = w.palette().color(QPalette::Highlight);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += std::abs(c.red() - h.red()) + std::abs(c.green() - h.green()) +
                             std::abs(c.blue() - h.blue()) <
                         40
                     ? 1
                     : 0;
        }
    return n;
}

} // namespace

TEST(FocusStyle, TheFocusedButtonAndSwitchWearARing) {
    FocusStyle style(QApplication::style()->name());
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton(QStringLiteral("データ送り"));
    auto* other = new QPushButton(QStringLiteral("データ戻し"));
    auto* check = new QCheckBox(QStringLiteral("表示消去"));
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(other),
                       static_cast<QWidget*>(check)}) {
        w->setStyle(&style);
        layout->addWidget(w);
    }
    window.show();
    QApplication::setActiveWindow(&window);
    button->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const int focused = highlightPixels(*button);
    EXPECT_GT(focused, 2 * (button->width() + button->height())) << "no ring on the focused button";
    EXPECT_LT(highlightPixels(*other), focused / 4);
    check->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_GT(highlightPixels(*check), check->width());
    EXPECT_LT(highlightPixels(*button), focused / 4);
}
