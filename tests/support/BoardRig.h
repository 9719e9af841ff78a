#pragma once
// A board window with the start-up style applied (fares blank, built-in panels, the
// options model's defaults), as every board and panel test begins.
#include "Form1.h"
#include "Options.h"
#include "mdl527_000.h"

struct BoardRig {
    Options options;
    Form1 board;

    BoardRig() {
        mdl527_000::ClearFares(board);
        mdl527_000::ApplyDefaultStyle(options, board, 0);
    }
    // The options dialog's OK with the backlight in state `backlight`.
    void apply(int backlight = 0) { SetProp(options, board, backlight); }
};
