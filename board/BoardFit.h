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
