#pragma once
// What the trip controller, the panel and scripts ask of the board: fares, the stop name
// with its prefix mode, the lamp test, blanking, scrolling and whether it takes input.
// The board window implements it; tests record it.
#include "DigitValue.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

class BoardView {
  public:
    virtual ~BoardView() = default;

    // Writes a value into fare digit `position` (1-32; 0 is the hidden spare).
    virtual void showFare(int position, const DigitValue& value) = 0;
    // Lamp test: every segment of every fare digit lit (true) or the fares cleared (false).
    virtual void lampTest(bool on) = 0;
    // Draws the stop name (CP932 bytes as the file stores them) with the 「次は」 prefix mode
    // `drawMode`, then leaves the element in `keepMode` for later redraws.
    virtual void showStopName(std::string_view cp932Name, int16_t drawMode, int16_t keepMode) = 0;
    // The prefix mode the stop-name element is in now.
    virtual int16_t stopNameMode() const = 0;
    // Blanking: the stop name, the fares and the clock go dark (true) or the clock comes
    // back (false; the caller redraws the fares).
    virtual void blank(bool on) = 0;
    // The stop name gone, as at quit.
    virtual void clearStopName() = 0;
    // The stop-name line's scroll speed and its pause between scrolls in milliseconds.
    virtual void setScroll(int speed, int startWaitMs) = 0;
    // Whether the board takes the operator's input (not while a dialog is open).
    virtual void setInputEnabled(bool on) = 0;
    // The board window's caption.
    virtual void setCaption(const QString& text) = 0;
    // At quit: the window's rounded shape handed back.
    virtual void releaseShape() = 0;
    // The number fare digit `position` shows now; none while it is dark or shows text.
    virtual std::optional<double> shownFare(int position) const = 0;
};
