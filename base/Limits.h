#pragma once
// The sizes every part of the board and its files agree on, stated once.

namespace limits {

// Rows a route table holds (stops of one route's fare data file).
inline constexpr int kRouteRows = 301;
// Data columns of one stop; column k feeds fare position k for k <= 32.
inline constexpr int kDataColumns = 150;
// Fare positions on the board, each a digit element under a ticket-number label.
inline constexpr int kFareCells = 32;
// Window and element geometry is designed in twips at this many per pixel.
inline constexpr int kTwipsPerPixel = 15;
// How long route setting keeps every segment lit, in milliseconds.
inline constexpr int kLampTestMs = 3000;
// Width in pixels of the visible stop-name line.
inline constexpr int kChimeiViewport = 432;

} // namespace limits
