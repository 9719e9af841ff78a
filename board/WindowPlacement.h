#pragma once
// Whether a window restored from the settings can be seen: one lying wholly outside every
// screen (a monitor since removed) would be out of reach, a frameless one for good.
#include <QRect>

// True when `frame` (global pixels) shares at least one pixel with a screen's available area.
bool visibleOnSomeScreen(const QRect& frame);
