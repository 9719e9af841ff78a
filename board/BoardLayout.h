#pragma once
// Where every element of the board sits, in twips of the 8730 x 5160 client area, and
// the conversion to pixels at 15 twips per pixel.
#include "Limits.h"

#include <QRect>

namespace board {

constexpr int kTwipsPerPixel = limits::kTwipsPerPixel;
constexpr int kClientWidthTwips = 8730;
constexpr int kClientHeightTwips = 5160;
constexpr int kClientWidth = kClientWidthTwips / kTwipsPerPixel;
constexpr int kClientHeight = kClientHeightTwips / kTwipsPerPixel;
constexpr int kFareCells = limits::kFareCells;

int px(int twips);
QRect pxRect(int left, int top, int width, int height);

// Rectangle of fare digit `n` (1-32) and of its ticket-number label, in pixels.
QRect degitRect(int n);
QRect labelRect(int n);
QRect chimeiRect();

// The same in twips, as the layout table gives them.
QPoint degitTwips(int n);
QPoint labelTwips(int n);

} // namespace board
