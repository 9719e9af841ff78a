#pragma once
// How the board is drawn beyond its rules: the whole-pixel zoom and the LED look (round
// LEDs with the unlit ones faintly visible, an optional glow, colour presets).
#include <QRgb>
#include <optional>

struct LedLook {
    bool on = false;  // LED表示
    bool glow = true; // a soft glow around lit LEDs and segments
    int color = 0;    // 0 the options' colours, 1 amber, 2 orange

    bool operator==(const LedLook&) const = default;
};

inline constexpr int kMaxZoom = 4;       // chosen zooms, 1-4
inline constexpr int kMaxScreenZoom = 8; // full screen may go further on a large monitor

// The lit colour a preset gives every LED, or nothing for the options' own colours.
std::optional<QRgb> ledPresetColor(int color);
