#pragma once
// The board's rounded outline as horizontal pixel spans, the way a rounded-rectangle
// region with a small corner ellipse cuts the corners.
#include <utility>
#include <vector>

// For each row 0..height-1, the [left, right) span of pixels inside the shape.
std::vector<std::pair<int, int>> roundRectSpans(int width, int height, int ellipseW, int ellipseH);
