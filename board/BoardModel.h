#pragma once
// Everything the fare board shows, apart from any window: the 32 fare cells (value and
// digit settings), the hidden spare and clock cells, the ticket-number labels, the stop
// line (whose scroll is a function of the simulator's clock), the panel picture, and how
// it is drawn (zoom, LED look, the rounded shape). The trip and the options write it
// through the board; the window, snapshots, recordings, exports and remote clients read
// it, never a widget.
#include "DigitRules.h"
#include "LedLook.h"
#include "Limits.h"
#include "StopLine.h"

#include <QFont>
#include <QImage>
#include <QRgb>
#include <array>
#include <optional>

// A ticket-number label: its text, font, colour and whether it is shown.
struct BoardLabel {
    QString text;
    QFont font;
    QRgb colour = 0xFFFFFFFF;
    bool visible = true;

    bool operator==(const BoardLabel&) const = default;
};

struct BoardModel {
    BoardModel();

    // Fare cell n (1-32); 0 is the hidden spare.
    std::array<DigitState, limits::kFareCells + 1> cells;
    // The hidden clock's hours and minutes.
    std::array<DigitState, 2> clock;
    std::array<BoardLabel, limits::kFareCells + 1> labels;
    StopLine stopLine;

    std::array<QImage, 3> panels;   // the built-in pictures for the backlight OFF, ON1, ON2
    QImage picture;                 // the panel picture shown, at 1x
    bool blanked = false;           // 表示消去: the fares and the name put out
    QRgb windowColour = 0xFFEFEFEF; // what a picture smaller than the board leaves showing
    bool rounded = false;           // the rounded corners are cut
    bool boldSegments = true;       // the segment face's weight
    int labelDpi = 96;              // the labels' points are of this resolution
    int zoom = 1;
    LedLook look;

    // The text cell n lights now, after its zero mode, filling, shift and width.
    QString litText(int n) const;
    // The fare cell `position` shows as a number, if it shows one.
    std::optional<double> shownFare(int position) const;
};
