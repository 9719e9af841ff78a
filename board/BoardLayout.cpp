#include "BoardLayout.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace board {
namespace {
constexpr std::array<int, 8> kDegitLeft = {720, 1686, 2652, 3618, 4584, 5550, 6516, 7485};
constexpr std::array<int, 8> kDegitLeftRow3 = {720, 1680, 2655, 3615, 4590, 5550, 6510, 7485};
constexpr std::array<int, 8> kLabelLeft = {757, 1723, 2689, 3655, 4621, 5587, 6553, 7522};
constexpr std::array<int, 8> kLabelLeftRow3 = {750, 1725, 2685, 3660, 4620, 5580, 6555, 7515};
constexpr std::array<int, 4> kLabelTop = {1620, 2430, 3225, 4020};
constexpr std::array<int, 4> kDegitTop = {1620 + 315, 2730, 3525, 4320};

void check(int n) {
    if (n < 1 || n > kFareCells)
        throw std::out_of_range("fare cell out of range");
}
} // namespace

int px(int twips) {
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

QRect pxRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

QPoint degitTwips(int n) {
    check(n);
    const int r = (n - 1) / 8, k = (n - 1) % 8;
    return {(r == 3 ? kDegitLeftRow3 : kDegitLeft)[k], kDegitTop[r]};
}

QPoint labelTwips(int n) {
    check(n);
    const int r = (n - 1) / 8, k = (n - 1) % 8;
    return {(r == 3 ? kLabelLeftRow3 : kLabelLeft)[k], kLabelTop[r]};
}

QRect degitRect(int n) {
    const QPoint p = degitTwips(n);
    return pxRect(p.x(), p.y(), 855, 435);
}

QRect labelRect(int n) {
    const QPoint p = labelTwips(n);
    return pxRect(p.x(), p.y(), 780, 240);
}

QRect chimeiRect() {
    return pxRect(1635, 277, 6480, 840);
}

} // namespace board
