#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

bool visibleOnSomeScreen(const QRect& frame) {
    const auto screens = QGuiApplication::screens();
    for (const QScreen* s : screens)
        if (s->availableGeometry().intersects(frame))
            return true;
    return false;
}
