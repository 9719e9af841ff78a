#pragma once
// The built-in panel picture: the board's face drawn in code, aligned to the element
// positions (black board, 「次は」 arrow, stop-name window, framed 4 x 8 fare grid).
#include <QImage>

QImage builtInPanelPicture();
