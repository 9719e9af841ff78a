#include "Program.h"

#include "ApiLib.h"
#include "Companion.h"
#include "ExportDialog.h"
#include "OwnOptions.h"
#include "PanelKeys.h"
#include "SoundFiles.h"
#include "mdl527_000.h"
#include "mdlM_Tape.h"

#include <QFileInfo>
#include <QHostInfo>
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

QString findSoundFont() {
    const QString env = qEnvironmentVariable("MINAMO_SOUNDFONT");
    if (!env.isEmpty())
        return env;
    for (const char* candidate :
         {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
          "/usr/share/sounds/sf2/default-GM.sf2"})
        if (QFileInfo::exists(QString::fromLatin1(candidate)))
            return QString::fromLatin1(candidate);
    return {};
}

void Program::startSound(const QString& modelName, const QString& recordTo) {
    mixer = std::make_unique<Mixer>(findSoundFont());
    audio = std::make_unique<AudioDevice>(*mixer);
    if (sim.isVirtual())
        audio->openVirtual(sim);
    else
        audio->open();
    if (!recordTo.isEmpty())
        audio->recordTo(recordTo);
    // A waiting play holds the queue until the sound has ended (never longer than the
    // longest sound); a pause after it holds it that much longer.
    mci = std::make_unique<MciInterpreter>(*mixer, [this](const std::function<bool()>& done) {
        queue.holdUntil(done, QStringLiteral("WaitingForSound"), soundfiles::kMaxSeconds * 1000);
    });
    mci->setClock([this] { return static_cast<int64_t>(sim.nowMs()); });
    auto api = std::make_unique<mdlSndAPI>(
        modelName, [this](const QString& c) { mci->send(c); },
        [this](int ms) {
            if (ms > 0)
                queue.holdFor(ms, QStringLiteral("Pause"));
        });
    channels = api.get();
    sound = std::move(api);

    speech = std::make_unique<OpenJTalkEngine>(*mixer, JTalkVoice::locate());
    speech->readingsFolder = [this] { return options.BroadcastDataFolder; };
    // Commands run at the top of the event loop only, never inside a dialog's own loop;
    // a virtual clock moves only when nothing can run without it moving, and never while
    // a sound is being decoded or the voice made.
    queue.mayRun = [] { return QThread::currentThread()->loopLevel() <= 1; };
    sim.mayAdvance = [this] {
        return QThread::currentThread()->loopLevel() <= 1 && !queue.runnable() &&
               !mci->anyLoading() && !speech->synthesizing() &&
               !(routeImport_ && routeImport_->busy());
    };
    speech->showDialog = [this](const QString& title) { showVoiceDialog(title); };
    auto player = std::make_unique<mdlM_Tape>(*speech, *sound, options, &ApiLib::GetOsInfo);
    player->after = [this](std::function<void()> fn) { queue.then(std::move(fn)); };
    tape = std::move(player);
}

QString Program::voicePath() const {
    return ownoptions::pathBeside(settingsPath, QStringLiteral(".voice"));
}

void Program::showVoiceDialog(const QString& title) {
    JTalkVoice& voice = speech->voice();
    VoiceDialogValues v;
    v.speed = voice.speed;
    v.pitch = voice.pitch;
    v.volume = voice.volume;
    v.voiceFile = voice.voiceFile;
    v.voices = JTalkVoice::installedVoices();
    const JTalkVoice kept = voice;
    v.trial = [this, kept](const VoiceDialogValues& t) {
        JTalkVoice& now = speech->voice();
        now.speed = t.speed;
        now.pitch = t.pitch;
        now.volume = t.volume;
        now.voiceFile = t.voiceFile;
        speech->reset();
        speech->speak(QStringLiteral("次は、市役所前です。お降りの方はお知らせください。"));
    };
    const bool ok = Companion::current().voiceDialog(panel.get(), title, v);
    if (!ok) {
        voice = kept;
        return;
    }
    voice.speed = v.speed;
    voice.pitch = v.pitch;
    voice.volume = v.volume;
    if (!v.voiceFile.isEmpty())
        voice.voiceFile = v.voiceFile;
    voice.save(voicePath());
}

DegitCell Program::GetDegitCell(int i) {
    const DigitState& d = board->model().cells.at(static_cast<size_t>(i));
    DegitCell c;
    c.ZeroMode = d.ZeroMode;
    c.Shift = d.Shift;
    c.FillZero = d.FillZero;
    return c;
}

void Program::ApplyElements(const SettingsRecord& r) {
    for (int i = 1; i <= limits::kFareCells; ++i) {
        M_Degit& d = *board->Degit(static_cast<size_t>(i));
        const DegitCell& c = r.degitCells[static_cast<size_t>(i - 1)];
        d.setZeroMode(c.ZeroMode);
        d.setShift(c.Shift);
        d.setFillZero(c.FillZero);
        d.setValue(QStringLiteral(" "));
    }
    colourElements(r.options, *board);
}

namespace {
void showSettingsError(QWidget* owner, const Outcome& o) {
    Companion::current().messageBox(
        owner, {appTitle(), mdlIniIoEx::errorText(o), MsgIcon::None, MsgButtons::Ok});
}
} // namespace

void Program::loadSettings() {
    const Outcome o = mdlIniIoEx::LoadSettings(settingsPath, *this, settings);
    ownoptions::load(settingsPath, options);
    preloadSounds();
    applyDisplay();
    optionDialog->refreshFromModel();
    if (!o.ok)
        showSettingsError(board.get(), o);
}

void Program::saveSettings() {
    // Our own files' text is ready before the settings file is replaced, so the three are
    // put in place one right after the other, and not at all when the first fails.
    const ownoptions::Texts own = ownoptions::texts(options);
    const Outcome o = mdlIniIoEx::SaveSettings(settingsPath, *this, settings);
    if (o.ok)
        ownoptions::write(settingsPath, own);
    if (!o.ok)
        showSettingsError(panel.get(), o);
}

void Program::applyDisplay() {
    ::applyDisplay(options, *board, zoomOverride);
    for (const auto& f : lookChanged)
        f();
}

void Program::preloadSounds() {
    // Every chime the options name is converted ahead: the first of each sounds at once.
    if (!mci)
        return;
    mci->preload({options.RouteSetSound, options.ResetSound, options.StepSoundFile,
                  options.StepSound1, options.StepSound2, options.StepSound3, options.PreSoundFile,
                  options.PreSound1, options.PreSound2, options.PreSound3});
}

void Program::applyOptions() {
    preloadSounds();
    ::SetProp(options, *board, panelState.backlight());
    applyDisplay();
    if (remote)
        remote->follower().setAnnounceDistance(options.AnnounceDistanceM);
    if (server) {
        if (const auto err = applyServer())
            Companion::current().messageBox(
                panel.get(),
                {appTitle(), QStringLiteral("外部制御を開始できませんでした。\n") + *err,
                 MsgIcon::Error, MsgButtons::Ok});
    }
}

std::optional<QString> Program::applyServer() {
    const bool wanted = serveAlways || options.RemoteControl != 0;
    ControlServer::Config c = serverConfig;
    c.lan = c.lan || options.RemoteLan != 0;
    if (server->listening() && (!wanted || c.lan != serverConfig.lan))
        server->stop();
    if (!wanted || server->listening())
        return std::nullopt;
    if (c.lan && c.token.isEmpty())
        c.token = ControlServer::makeToken();
    if (!server->start(c))
        return server->error();
    serverConfig.token = c.token;
    if (remote)
        remote->publishAddress();
    const QString where = c.lan ? QStringLiteral("ws://%1:%2/?token=%3")
                                      .arg(QHostInfo::localHostName())
                                      .arg(server->port())
                                      .arg(c.token)
                                : QStringLiteral("ws://127.0.0.1:%1/").arg(server->port());
    std::fprintf(stdout, "control server: %s\n", qPrintable(where));
    std::fflush(stdout);
    return std::nullopt;
}

void Program::start(const QString& modelName) {
    board = std::make_unique<Form1>();
    board->setClock(&clock);
    // The board's menu chooses for the options, which remember it.
    board->zoomChosen = [this](int n) {
        zoomOverride.reset();
        options.BoardZoom = static_cast<int16_t>(n);
        applyDisplay();
    };
    board->lookChosen = [this](const LedLook& l) {
        options.LedDisplay = l.on ? 1 : 0;
        options.LedGlow = l.glow ? 1 : 0;
        options.LedColor = static_cast<int16_t>(l.color);
        applyDisplay();
        if (optionDialog)
            optionDialog->refreshFromModel();
    };
    preview = std::make_unique<PreviewPicture>(options);
    trip = std::make_unique<Trip>(
        Trip::Services{*board, options, *sound, *tape, &queue, &clock, preview.get(), &panelState});
    // A route with announcements gets its speech engine ready, so the first 送り speaks
    // as quickly as the later ones.
    QObject::connect(trip.get(), &Trip::routeWasSet, trip.get(), [this] {
        if (trip->tapeGroupEnabled())
            speech->warmUp();
    });
    // The board follows the panel's settings, whoever changed them.
    QObject::connect(&panelState, &PanelState::scrollChanged, board.get(),
                     [this](int speed, int wait) { board->setScroll(speed, wait); });
    QObject::connect(&panelState, &PanelState::backlightChanged, board.get(),
                     [this](int state) { applyBacklight(options, *board, state); });
    autoRun = std::make_unique<AutoRun>(
        *trip, [this] { return mixer->anyPlaying() || (tape && tape->speaking()); }, &queue);
    recording = std::make_unique<RecordingSession>(*audio, [this] { return board->snapshot(); });
    server = std::make_unique<ControlServer>();
    if (companion)
        remote = std::make_unique<RemoteSession>(*this, *companion, *server);
    PanelContext ctx{*board, *trip, panelState, *preview, options, clock};
    if (remote) {
        ctx.following = [this] { return remote->following(); };
        ctx.setFollowing = [this](bool on) { remote->setFollowing(on); };
    }
    ctx.autoRun = autoRun.get();
    ctx.setRecording = [this](bool on) {
        if (on == recording->recording())
            return true;
        const auto err = on ? startRecording(defaultRecordingPath(), recordZoom) : stopRecording();
        if (err) {
            Companion::current().messageBox(
                panel.get(), {appTitle(), QStringLiteral("録画できませんでした。\n") + *err,
                              MsgIcon::Error, MsgButtons::Ok});
            return false;
        }
        if (!on)
            Companion::current().messageBox(
                panel.get(),
                {appTitle(), QStringLiteral("録画を保存しました。\n") + recording->file(),
                 MsgIcon::Information, MsgButtons::Ok});
        return true;
    };
    ctx.openRouteImport = [this] { showRouteImport(); };
    ctx.openExport = [this] {
        if (!exportDialog) {
            exportDialog = std::make_unique<ExportDialog>(QCoreApplication::applicationFilePath(),
                                                          settingsPath, panel.get());
            // The demo's recorded trip, when it is there, as the first choice.
            const QString demo = QFileInfo(options.FareDataFolder).absoluteFilePath() +
                                 QStringLiteral("/record.script");
            if (QFileInfo::exists(demo))
                exportDialog->setScript(demo);
        }
        exportDialog->show();
        exportDialog->raise();
    };
    ctx.recordingText = [this] {
        if (!recording->recording())
            return QString();
        const int s = static_cast<int>(recording->seconds());
        return QStringLiteral("● %1:%2")
            .arg(s / 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    };
    ctx.modelName = modelName;
    ctx.queue = &queue;
    // A recording is finished before the program ends, so the file is whole.
    ctx.endProgram = [this] {
        for (const auto& f : quitting)
            f();
        autoRun->stop();
        stopRecording();
        QCoreApplication::exit(0);
    };
    ctx.saveSettings = [this] { saveSettings(); };
    // Shown window-modal without blocking: the panel learns of its closing by signal,
    // so scripts can go on working the dialog while it is open.
    ctx.showOptions = [this] {
        optionDialog->refreshFromModel();
        optionDialog->open();
        return true;
    };
    panel = std::make_unique<frmCtl>(std::move(ctx));
    board->setPanelEnabled = [this](bool on) { panel->setEnabled(on); };
    // Deferred: the quit question is a modal loop of its own and must not run inside the
    // window system's close handling.
    board->closeRequested = [this] {
        QTimer::singleShot(0, panel.get(), [this] { panel->close(); });
    };

    mdl527_000::ClearFares(*board);
    mdl527_000::ApplyDefaultStyle(options, *board, 0);
    optionDialog = std::make_unique<frmOption>(options, settings.customColors);
    optionDialog->SetProp = [this] { applyOptions(); };
    optionDialog->reapplyBacklight = [this] { panelState.setBacklight(panelState.backlight()); };
    optionDialog->today = [this] { return clock.today(); };
    optionDialog->setCompanies = [this](const QStringList& names) {
        panelState.setCompanies(names);
    };
    optionDialog->setPreviewTwips = [this](int w, int h) { panel->setPreviewTwips(w, h); };
    optionDialog->openRouteImport = [this] { showRouteImport(); };
    optionDialog->placeOver = [this] { return panel->frameGeometry(); };
    optionDialog->Form_Load();
    QObject::connect(optionDialog.get(), &QDialog::finished, panel.get(),
                     [this] { panel->optionsHidden(); });
    panel->Form_Load();
    installPanelKeys(*panel, {board.get()});
    panel->show();
    panel->raise();
    board->move(0, 0);
    panel->placeAtBottomRight();
    QTimer::singleShot(400, panel.get(), [this] { panel->settlePlacement(); });
    board->applyShape();
    board->update();
    board->show();
    panel->raise();
    loadSettings();
    if (const auto err = applyServer()) {
        std::fprintf(stderr, "control server: %s\n", qPrintable(*err));
        std::fflush(stderr);
    }
    speech->voice().load(voicePath());
}

std::optional<QString> Program::startRecording(const QString& path, int zoom) {
    if (recording->recording())
        return QStringLiteral("a recording is already running");
    if (!recording->start(path, zoom, Mixer::kRate))
        return recording->error();
    return std::nullopt;
}

std::optional<QString> Program::stopRecording() {
    if (!recording || !recording->recording())
        return std::nullopt;
    if (!recording->stop())
        return recording->error();
    return std::nullopt;
}

QString Program::defaultRecordingPath() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("minamo-%1.mp4")
                                     .arg(clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

ImportDialog& Program::routeImport() {
    if (!routeImport_) {
        routeImport_ = std::make_unique<ImportDialog>(panel.get());
        routeImport_->setWindowModality(Qt::NonModal);
        routeImport_->showRoute = [this](const QString& folder, int number) {
            showImportedRoute(folder, number);
        };
    }
    return *routeImport_;
}

void Program::showRouteImport() {
    ImportDialog& d = routeImport();
    if (d.folder().isEmpty())
        d.setFolder(options.FareDataFolder.isEmpty() ? QStringLiteral(".")
                                                     : options.FareDataFolder);
    d.show();
    d.raise();
}

void Program::showImportedRoute(const QString& folder, int number) {
    // The imported folder becomes the fare data and broadcast folder, and the route is set
    // at section 1 as the keypad sets it.
    if (options.FareDataFolder != folder || options.BroadcastDataFolder != folder) {
        options.FareDataFolder = folder;
        options.BroadcastDataFolder = folder;
        optionDialog->refreshFromModel();
        applyOptions();
    }
    if (!panel->presentation().entry)
        return; // blanked: the keypad takes nothing, as on screen
    panel->CommandButton1[10]->click();
    for (const QChar c : QString::number(number))
        panel->CommandButton1[static_cast<size_t>(c.digitValue())]->click();
    panel->CommandButton1[11]->click();
    panel->CommandButton1[1]->click();
    panel->Command1[1]->click();
}
