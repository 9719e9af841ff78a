#pragma once
// Where the board goes on a full screen: the largest whole zoom at which it fits, centred.
#include <QPoint>
#include <QSize>

struct BoardFit {
    int zoom = 1;
    QPoint origin; // the board's top-left corner on the screen
};

// `board` is the 1x size; the zoom stays within 1..maxZoom even when nothing fits.
BoardFit fitBoard(QSize area, QSize board, int maxZoom);

// A window: whether the board at `zoom` (1x size `board`) fits the screen's available
// area, and the largest zoom up to `maxZoom` that does (1 when none does: the board at
// its own size is always offered).
bool zoomFits(QSize area, QSize board, int zoom);
int largestFittingZoom(QSize area, QSize board, int maxZoom);
