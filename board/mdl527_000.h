#pragma once
// The board module: blanking the fares at start, the default board style, and writing
// ticket numbers into the labels by numbering mode.
#include "LedLook.h"

#include <cstdint>
#include <optional>

class Form1;
struct Options;

namespace mdl527_000 {

void ClearFares(Form1& board);
// Default panel options and pictures, then the options apply step.
void ApplyDefaultStyle(Options& options, Form1& board, int backlight);
void SeirikenNumSet(Form1& board, int16_t mode, int16_t leadingZero);

} // namespace mdl527_000

// Pushes the display options onto the board (ticket labels, digit and stop-name
// colours and typefaces), then re-applies the backlight state's picture and colour.
void SetProp(const Options& options, Form1& board, int backlight);

// The options' colours and typefaces on the fare digits, the clock and the stop-name line.
void colourElements(const Options& options, Form1& board);

// The board side of choosing a backlight state: panel picture and ticket-number colour.
void applyBacklight(const Options& options, Form1& board, int index);

// The LED look the options choose.
LedLook ledLookOf(const Options& options);
// How the board is drawn: its zoom (`zoom` for this run instead of the options') and the
// LED look.
void applyDisplay(const Options& options, Form1& board, std::optional<int> zoom = std::nullopt);
