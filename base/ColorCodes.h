#pragma once
// Colours as the settings and the board keep them: 0xBBGGRR in an integer, red in the
// low byte. These convert to and from the 0xAARRGGBB form images use, without Qt Gui.
#include <array>
#include <cstdint>

// The colour chooser's custom colours, kept between uses and in the settings file.
inline constexpr int kCustomColorCount = 17;
using CustomColors = std::array<int32_t, kCustomColorCount>;

inline constexpr uint32_t argbFromBgr(uint32_t bgr) {
    return 0xFF000000u | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

inline constexpr uint32_t bgrFromArgb(uint32_t argb) {
    return ((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16);
}
