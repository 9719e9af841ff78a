#include "BoardFit.h"

#include <algorithm>

BoardFit fitBoard(QSize area, QSize board, int maxZoom) {
    BoardFit f;
    if (board.width() <= 0 || board.height() <= 0)
        return f;
    const int fits = std::min(area.width() / board.width(), area.height() / board.height());
    f.zoom = std::clamp(fits, 1, std::max(1, maxZoom));
    const QSize shown = board * f.zoom;
    // A board larger than the screen is centred too, its edges equally cut.
    f.origin = {(area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2};
    return f;
}

bool zoomFits(QSize area, QSize board, int zoom) {
    return zoom == 1 ||
           (board.width() * zoom <= area.width() && board.height() * zoom <= area.height());
}

int largestFittingZoom(QSize area, QSize board, int maxZoom) {
    int best = 1;
    for (int z = 2; z <= maxZoom; ++z)
        if (zoomFits(area, board, z))
            best = z;
    return best;
}
