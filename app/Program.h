#pragma once
// The running simulator: the options, the route, the board and the control panel, and
// the start-up order that brings them up.
#include "AnnouncementPlayer.h"
#include "AudioDevice.h"
#include "AutoRun.h"
#include "Clock.h"
#include "CommandQueue.h"
#include "ControlServer.h"
#include "DataIo.h"
#include "ExportDialog.h"
#include "Form1.h"
#include "ImportDialog.h"
#include "MciInterpreter.h"
#include "Mixer.h"
#include "OpenJTalkEngine.h"
#include "Options.h"
#include "PanelState.h"
#include "PreviewPicture.h"
#include "RecordingSession.h"
#include "RemoteSession.h"
#include "SimClock.h"
#include "SoundChannels.h"
#include "StallWatch.h"
#include "Trip.h"
#include "frmCtl.h"
#include "frmOption.h"
#include "mdlIniIoEx.h"
#include "mdlSndAPI.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

struct Program : SettingsOwners {
    // The model of the running simulator: the options, the panel's settings, the one
    // clock, and (below) the trip.
    Options options;
    PanelState panelState;
    // The clock tickets, route dates, the board's clock and the version text read; a
    // script may stop it at a given moment.
    Clock clock;
    // The simulator's time and the one queue every command runs through.
    SimClock& sim = SimClock::global();
    CommandQueue& queue = CommandQueue::global();
    // Sound: the mixer and its device, the interpreter of the channel commands, and the
    // channels that produce them.
    std::unique_ptr<Mixer> mixer;
    std::unique_ptr<AudioDevice> audio;
    std::unique_ptr<MciInterpreter> mci;
    mdlSndAPI* channels = nullptr;
    std::unique_ptr<SoundChannels> sound;
    std::unique_ptr<OpenJTalkEngine> speech;
    std::unique_ptr<AnnouncementPlayer> tape;
    // The voice's own settings, beside the settings file.
    QString voicePath() const;
    void showVoiceDialog(const QString& title);
    std::unique_ptr<Form1> board;
    std::unique_ptr<PreviewPicture> preview;
    std::unique_ptr<Trip> trip;
    std::unique_ptr<frmCtl> panel;
    QString settingsPath;
    // The process-wide settings record (the colour chooser's custom colours live here).
    SettingsRecord settings;
    // The options dialog, loaded hidden at start and kept for the whole run.
    std::unique_ptr<frmOption> optionDialog;
    // The trip running by itself.
    std::unique_ptr<AutoRun> autoRun;
    // A video of the board with its sound; last, so it is finished before the sound goes.
    std::unique_ptr<RecordingSession> recording;
    // How long the UI thread has gone without turning its loop (for `state`).
    std::unique_ptr<StallWatch> stalls;
    int recordZoom = 1;
    // --zoom: the board's zoom for this run, instead of the one the options remember.
    std::optional<int> zoomOverride;
    // Draws the board at its zoom and in its look, as the options and --zoom say.
    void applyDisplay();
    // 路線データの取り込み: made when first asked for, kept for the run.
    ImportDialog& routeImport();
    void showRouteImport();
    // この路線を表示: the folder becomes the data folder, the route is set at section 1.
    void showImportedRoute(const QString& folder, int number);
    std::unique_ptr<ImportDialog> routeImport_;
    // 書き出し (録画's menu): made when first asked for.
    std::unique_ptr<ExportDialog> exportDialog;

    // Other programs: the control server, what they see of the simulator, and the
    // companion their answers to dialogs are queued in.
    ScriptedCompanion* companion = nullptr;
    std::unique_ptr<ControlServer> server;
    std::unique_ptr<RemoteSession> remote;
    // The server's port and address; `serveAlways` for --serve, which the options do
    // not remember.
    ControlServer::Config serverConfig;
    bool serveAlways = false;
    // Starts or stops the server as --serve and the options say; the reason when it
    // cannot start.
    std::optional<QString> applyServer();
    // Called just before the program ends.
    std::vector<std::function<void()>> quitting;
    // Called when the board's colours, zoom or look may have changed.
    std::vector<std::function<void()>> lookChanged;
    // Starts a recording into `path` (.mp4 or .webm); the reason when it cannot.
    std::optional<QString> startRecording(const QString& path, int zoom);
    // Finishes the recording; the reason when the file could not be written whole.
    std::optional<QString> stopRecording();
    // Where the panel's 録画 button records: the user's video folder, named by the time.
    QString defaultRecordingPath() const;

    // Opens the sound device and builds the channels named after `modelName`; a machine
    // without sound still plays (into nothing) in real time. `recordTo` names a WAV that
    // receives everything played.
    void startSound(const QString& modelName, const QString& recordTo = {});
    // Runs the board's load step: blank fares, default style, panel shown and placed,
    // board shape, then the settings.
    void start(const QString& modelName);
    // Applies the options to the board as the options dialog's OK does.
    void applyOptions();
    // Converts the sounds the options name ahead of their first play.
    void preloadSounds();
    // The settings file, with its error box on failure.
    void loadSettings();
    void saveSettings();

    // SettingsOwners: each window's own blocks.
    void GetOptionInfo(Options& o) override { o = options; }
    void SetOptionInfo(const Options& o) override { optionDialog->SetOptionInfo(o); }
    void GetCtrlDataInfo(CtrlDataInfo& info) override { panel->GetCtrlDataInfo(info); }
    void SetCtrlDataInfo(const CtrlDataInfo& info) override { panel->SetCtrlDataInfo(info); }
    void GetFormInfo(FormInfo& info) override { board->GetFormInfo(info); }
    void SetFormInfo(const FormInfo& info) override { board->SetFormInfo(info); }
    DegitCell GetDegitCell(int i) override;
    void ApplyElements(const SettingsRecord& record) override;
    void SetProp() override { applyOptions(); }
};

// The General MIDI bank: $MINAMO_SOUNDFONT, else the first of Debian's banks installed.
QString findSoundFont();
