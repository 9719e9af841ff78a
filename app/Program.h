#pragma once
// The running simulator: the options, the route, the board and the control panel, and
// the start-up order that brings them up.
#include "AnnouncementPlayer.h"
#include "DataIo.h"
#include "Form1.h"
#include "Options.h"
#include "SoundChannels.h"
#include "Trip.h"
#include "frmCtl.h"

#include <QString>
#include <memory>

struct Program {
    Options options;
    std::unique_ptr<SoundChannels> sound;
    std::unique_ptr<AnnouncementPlayer> tape;
    std::unique_ptr<Form1> board;
    std::unique_ptr<Trip> trip;
    std::unique_ptr<frmCtl> panel;
    QString settingsPath;
    // Set by a script's apply: the options button then applies them as OK would.
    bool applyPending = false;

    // Runs the board's load step: blank fares, default style, panel shown and placed,
    // board shape, then the settings.
    void start(const QString& modelName);
    // Applies the options to the board as the options dialog's OK does.
    void applyOptions();
};

// Waits `ms` in a local event loop that holds back user input but keeps painting.
void waitWithoutInput(int ms);
// Waits `ms` in a local event loop that handles everything.
void waitProcessing(int ms);
