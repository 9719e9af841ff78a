#include "WindowShape.h"

#include <algorithm>
#include <cmath>

std::vector<std::pair<int, int>> roundRectSpans(int width, int height, int ellipseW, int ellipseH) {
    std::vector<std::pair<int, int>> spans(static_cast<size_t>(std::max(0, height)));
    const double rx = ellipseW / 2.0, ry = ellipseH / 2.0;
    for (int y = 0; y < height; ++y) {
        // Distance of the row's centre into the corner band, from whichever edge is near.
        const double cy = std::min(y + 0.5, height - (y + 0.5));
        int inset = 0;
        if (ry > 0 && cy < ry) {
            const double dy = (ry - cy) / ry;
            const double dx = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
            inset = static_cast<int>(std::ceil(rx - dx - 1e-9));
        }
        spans[static_cast<size_t>(y)] = {inset, width - inset};
    }
    return spans;
}
