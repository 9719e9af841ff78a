// The fare board simulator: starts the board and the control panel, optionally runs a
// script of operator actions against them.
#include "ApiLib.h"
#include "AppError.h"
#include "CommandLineFiles.h"
#include "DotRaster.h"
#include "ExportFormat.h"
#include "FatalHandler.h"
#include "FocusStyle.h"
#include "FontSubstitutes.h"
#include "PanelKeys.h"
#include "Program.h"
#include "QtCompanion.h"
#include "ScriptRunner.h"
#include "ScriptedCompanion.h"
#include "StdinLines.h"
#include "VideoExport.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStyle>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

QStringList readScript(const QString& path, bool& ok) {
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok)
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// Without a display, the runs that need no window (unattended, recording, help) draw
// off screen by themselves; a platform the user chose still wins.
void chooseHeadlessPlatform(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (a == "--unattended" || a == "--record" || a.starts_with("--record=") ||
            a == "--export" || a.starts_with("--export=") || a == "--help" || a == "-h" ||
            a == "--help-all" || a == "--version" || a == "-v") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

// A progress line on standard error every second of the trip: where the export has got
// to and how many times faster than real time it goes.
void startExportProgress(VideoExport& e) {
    auto* timer = new SimTimer(&e);
    auto* wall = new QElapsedTimer;
    wall->start();
    QObject::connect(timer, &SimTimer::timeout, &e, [&e, wall] {
        const double simSeconds = static_cast<double>(SimClock::global().nowMs()) / 1000.0;
        const double wallSeconds = std::max(1e-3, static_cast<double>(wall->elapsed()) / 1000.0);
        std::fprintf(stderr, "export: %s, x%.1f real time\n", qPrintable(e.progress()),
                     simSeconds / wallSeconds);
        std::fflush(stderr);
    });
    QObject::connect(&e, &QObject::destroyed, [wall] { delete wall; });
    timer->start(1000);
}

// An export stopped by Ctrl+C or a termination leaves no file behind: the signal is
// turned into an event (through a pipe), and the export removes what it wrote.
int cancelPipe[2] = {-1, -1};

void onCancelSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(cancelPipe[1], &c, 1);
}

void cancelExportOnSignal(VideoExport& e) {
    if (::pipe(cancelPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(cancelPipe[0], QSocketNotifier::Read, &e);
    QObject::connect(notifier, &QSocketNotifier::activated, &e, [&e] {
        e.cancel();
        std::fprintf(stderr, "export cancelled: nothing was kept\n");
        std::fflush(stderr);
        std::_Exit(130);
    });
    std::signal(SIGINT, onCancelSignal);
    std::signal(SIGTERM, onCancelSignal);
}

// Every option of the program; the runs that only print (help, version, the script
// commands) and the bad command lines are answered before any window could be needed.
void defineOptions(QCommandLineParser& cli) {
    cli.setApplicationDescription(
        QStringLiteral("Fare board simulator (model 527): the board with its 32 fare cells and "
                       "stop-name line, driven from the control panel or by a script.\n\n"
                       "Keys, while the panel or the board is the active window: ") +
        panelKeysText() +
        QStringLiteral(" (each acts as its button on the panel, and not while it is greyed); "
                       "F11 puts the board full screen."));
    cli.addHelpOption();
    cli.addOptions({
        {{QStringLiteral("v"), QStringLiteral("version")},
         QStringLiteral("Print the version and exit.")},
        {QStringLiteral("help-script"),
         QStringLiteral("Print the script commands (for --script) and exit.")},
        {QStringLiteral("script"),
         QStringLiteral("Run the commands in FILE after start-up (- for standard input, run line "
                        "by line as it arrives)."),
         QStringLiteral("FILE")},
        {QStringLiteral("unattended"),
         QStringLiteral("Never wait for a person: message boxes go to standard error as JSON and "
                        "take their default answer; the end of the script quits.")},
        {QStringLiteral("settings"),
         QStringLiteral("Use FILE as the settings file instead of the one next to the program "
                        "(or in ~/.config/527 when that folder cannot be written)."),
         QStringLiteral("FILE")},
        {QStringLiteral("virtual-time"),
         QStringLiteral("Run on virtual time: whenever nothing else is to be done the clock jumps "
                        "to the next thing due, so a script plays exactly as in real time (sound "
                        "to --audio-out, pictures to --record), only as fast as the machine "
                        "allows. Nothing is heard.")},
        {QStringLiteral("audio-out"),
         QStringLiteral("Also write everything the sound channels play to FILE (16-bit WAV)."),
         QStringLiteral("FILE")},
        {QStringLiteral("record"),
         QStringLiteral("Record the board and its sound as a video into FILE (.mp4: H.264 + AAC, "
                        ".webm: VP9 + Opus) until the program ends."),
         QStringLiteral("FILE")},
        {QStringLiteral("export"),
         QStringLiteral("Run the --script on virtual time and export the whole trip as fast as the "
                        "machine allows into FILE, then exit: .mp4 (H.264 + AAC), .webm (VP9 with "
                        "alpha + Opus), .mov (ProRes 4444 with alpha + 16-bit PCM) or a folder "
                        "name ending in / (numbered PNG frames + audio.wav); captions of the "
                        "announcements and the stop names beside it (.srt and .vtt)."),
         QStringLiteral("FILE")},
        {QStringLiteral("export-zoom"), QStringLiteral("Export at N times the board's size (1-4)."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("export-fps"), QStringLiteral("Export at 30 or 60 frames a second."),
         QStringLiteral("FPS"), QStringLiteral("30")},
        {QStringLiteral("export-background"),
         QStringLiteral("panel (the board as shown), transparent (transparent outside the rounded "
                        "board) or lit (only what is lit, for overlays)."),
         QStringLiteral("KIND"), QStringLiteral("panel")},
        {QStringLiteral("record-zoom"),
         QStringLiteral("Record at N times the board's size (1-4, sharp pixels); default 1."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("zoom"),
         QStringLiteral("Show the board at N times its size (1-4, sharp pixels) for this run; the "
                        "board's right-click menu chooses one it remembers."),
         QStringLiteral("N")},
        {QStringLiteral("screen"),
         QStringLiteral("Start with the board full screen on the monitor NAME (F11 or Esc leaves "
                        "it); an unknown name lists the monitors."),
         QStringLiteral("NAME")},
        {QStringLiteral("serve"),
         QStringLiteral("Let other programs drive the board over a WebSocket on 127.0.0.1 (port "
                        "52700; --serve PORT for another, 0 for a free one, printed at start).")},
        {QStringLiteral("serve-port"), QStringLiteral("The control server's port."),
         QStringLiteral("PORT")},
        {QStringLiteral("serve-lan"),
         QStringLiteral("Open the control server to the network; clients then need the token "
                        "printed at start (?token=...).")},
        {QStringLiteral("replay-telemetry"),
         QStringLiteral("Follow a recorded telemetry log (JSON lines with \"t\" in seconds) after "
                        "start-up and after the script, if any."),
         QStringLiteral("FILE")},
        {QStringLiteral("debug-stalls"),
         QStringLiteral("Log to standard error every time the window stops responding for over "
                        "50 ms, with what it was doing.")},
    });
}

// "--serve 0" names the port as a word of its own; QCommandLineParser has no option with
// an optional value, so that form becomes "--serve --serve-port=0".
std::vector<std::string> withServePort(int argc, char** argv) {
    std::vector<std::string> out;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        out.push_back(a);
        if (a == "--serve" && i + 1 < argc && argv[i + 1][0] != '\0' &&
            std::all_of(argv[i + 1], argv[i + 1] + std::strlen(argv[i + 1]),
                        [](char c) { return c >= '0' && c <= '9'; }))
            out.push_back(std::string("--serve-port=") + argv[++i]);
    }
    return out;
}

// Qt's own words (usage, dialogs, buttons) in Japanese, as every caption of ours is.
void installJapanese(QTranslator& t) {
    if (t.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
               QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&t);
}

// Help, version, the script commands and a bad command line: answered with no display
// and no sound (exit 0, or 2 with the usage); nothing for a run that starts the windows.
std::optional<int> answerWithoutWindows(int argc, char** argv) {
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("527"));
    // The help is English throughout, Qt's own words included: the options, the script
    // language and the tools' help are English words a user types; the buttons it names
    // keep the Japanese captions they have on the panel.
    QCommandLineParser cli;
    defineOptions(cli);
    if (!cli.parse(QCoreApplication::arguments()) || !cli.positionalArguments().isEmpty()) {
        const QString why = cli.errorText().isEmpty()
                                ? QStringLiteral("unexpected argument: ") +
                                      cli.positionalArguments().join(QLatin1Char(' '))
                                : cli.errorText();
        std::fprintf(stderr, "527: %s\n\n%s", qPrintable(why), qPrintable(cli.helpText()));
        return 2;
    }
    if (cli.isSet(QStringLiteral("help")) || cli.isSet(QStringLiteral("help-all"))) {
        std::fputs(cli.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (cli.isSet(QStringLiteral("version"))) {
        std::printf("527 (ミナモ fare board simulator) %s\n", MINAMO_VERSION);
        return 0;
    }
    if (cli.isSet(QStringLiteral("help-script"))) {
        std::fputs(ScriptRunner::commandHelp().toUtf8().constData(), stdout);
        return 0;
    }
    auto file = [&cli](const char* option, bool write, bool mayBeMissing = false) {
        const QString name = QString::fromLatin1(option);
        return CommandLineFile{QStringLiteral("--") + name, cli.value(name), write, mayBeMissing};
    };
    if (const auto problem = checkCommandLineFiles(
            {file("script", false), file("settings", false, true), file("replay-telemetry", false),
             file("audio-out", true), file("record", true)})) {
        std::fprintf(stderr, "527: %s\n", qPrintable(*problem));
        return 2;
    }
    return std::nullopt;
}

QtMessageHandler qtDefaultHandler = nullptr;

// Headless runs keep the program's own messages and drop Qt's remarks about what the
// off-screen platform cannot do.
void quietHeadless(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (type != QtFatalMsg && qApp &&
        isHeadlessPlatformNoise(QGuiApplication::platformName(), category, message))
        return;
    qtDefaultHandler(type, context, message);
}

} // namespace

int main(int argcIn, char** argvIn) {
    qtDefaultHandler = qInstallMessageHandler(quietHeadless);
    std::vector<std::string> words = withServePort(argcIn, argvIn);
    std::vector<char*> pointers;
    for (std::string& w : words)
        pointers.push_back(w.data());
    pointers.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    char** argv = pointers.data();
    if (const std::optional<int> answered = answerWithoutWindows(argc, argv))
        return *answered;
    chooseHeadlessPlatform(argc, argv);
    MinamoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("minamo"));
    // The focused control shows plainly: the panel is worked from the keyboard too.
    QApplication::setStyle(new FocusStyle(QApplication::style()->name()));
    ApiLib::installFontSubstitutes();
    // Every caption of ours is Japanese: Qt's own dialogs (files, folders, colours) and
    // buttons speak it too, whatever the desktop's language.
    QTranslator qtJapanese;
    installJapanese(qtJapanese);
    // The outline faces for every dot character, as before the bitmap fonts (comparison).
    if (qEnvironmentVariableIsSet("MINAMO_OUTLINE_DOTS"))
        setBitmapGlyphsEnabled(false);
    QFont ui(ApiLib::pGothicFamily());
    ui.setPointSize(9);
    QApplication::setFont(ui);

    QCommandLineParser cli;
    defineOptions(cli);
    cli.process(app);
    const QString script = QStringLiteral("script"), unattended = QStringLiteral("unattended"),
                  settings = QStringLiteral("settings"), audioOut = QStringLiteral("audio-out"),
                  record = QStringLiteral("record"), recordZoom = QStringLiteral("record-zoom"),
                  debugStalls = QStringLiteral("debug-stalls");

    const bool scripted = cli.isSet(script);
    // An export runs its script unattended on virtual time.
    std::optional<exportfmt::Options> exporting;
    if (cli.isSet(QStringLiteral("export"))) {
        if (!scripted) {
            std::fprintf(stderr, "--export needs a --script to run\n");
            return 2;
        }
        auto parsed = exportfmt::parse(cli.value(QStringLiteral("export")),
                                       cli.value(QStringLiteral("export-zoom")),
                                       cli.value(QStringLiteral("export-fps")),
                                       cli.value(QStringLiteral("export-background")));
        if (const auto* why = std::get_if<QString>(&parsed)) {
            std::fprintf(stderr, "%s\n", qPrintable(*why));
            return 2;
        }
        exporting = std::get<exportfmt::Options>(parsed);
    }
    const bool unattendedRun = cli.isSet(unattended) || exporting.has_value();
    // Scripts and other programs queue their answers to dialogs here; without any queued
    // it asks the person, as the plain dialogs do.
    auto c = std::make_unique<ScriptedCompanion>(std::make_unique<QtCompanion>(), unattendedRun);
    ScriptedCompanion* scriptedCompanion = c.get();
    Companion::install(std::move(c));

    const QFileInfo self(QCoreApplication::applicationFilePath());
    // A virtual clock stays at 0 until the script has started: the trip's time is the
    // script's, however long the windows take to come up.
    const bool virtualTime = cli.isSet(QStringLiteral("virtual-time")) || exporting.has_value();
    if (virtualTime) {
        SimClock::global().setMode(SimClock::Mode::Virtual);
        SimClock::global().hold();
    } else if (scripted) {
        SimClock::global().waitForStart(); // real time too: a script's moments are its own
    }
    Program program;
    program.stalls = std::make_unique<StallWatch>(cli.isSet(debugStalls));
    program.companion = scriptedCompanion;
    program.serveAlways =
        cli.isSet(QStringLiteral("serve")) || cli.isSet(QStringLiteral("serve-lan"));
    program.serverConfig.lan = cli.isSet(QStringLiteral("serve-lan"));
    if (cli.isSet(QStringLiteral("serve-port"))) {
        bool portOk = false;
        const uint port = cli.value(QStringLiteral("serve-port")).toUInt(&portOk);
        if (!portOk || port > 65535) {
            std::fprintf(stderr, "--serve takes a port from 0 to 65535\n");
            return 2;
        }
        program.serverConfig.port = static_cast<quint16>(port);
    }
    program.startSound(self.completeBaseName(), cli.value(audioOut));
    program.settingsPath =
        cli.isSet(settings) ? cli.value(settings)
                            : mdlIniIoEx::settingsPath(self.absolutePath(), self.completeBaseName(),
                                                       QStandardPaths::writableLocation(
                                                           QStandardPaths::GenericConfigLocation));
    bool zoomOk = false;
    program.recordZoom = cli.value(recordZoom).toInt(&zoomOk);
    if (!zoomOk || program.recordZoom < 1 || program.recordZoom > 4) {
        std::fprintf(stderr, "--record-zoom takes 1, 2, 3 or 4\n");
        return 2;
    }
    if (cli.isSet(QStringLiteral("zoom"))) {
        const int z = cli.value(QStringLiteral("zoom")).toInt(&zoomOk);
        if (!zoomOk || z < 1 || z > 4) {
            std::fprintf(stderr, "--zoom takes 1, 2, 3 or 4\n");
            return 2;
        }
        program.zoomOverride = z;
    }
    QScreen* fullScreenOn = nullptr;
    if (cli.isSet(QStringLiteral("screen"))) {
        const QString name = cli.value(QStringLiteral("screen"));
        QStringList names;
        for (QScreen* sc : QGuiApplication::screens()) {
            names << sc->name();
            if (sc->name() == name)
                fullScreenOn = sc;
        }
        if (!fullScreenOn) {
            std::fprintf(stderr, "no monitor named %s; the monitors are: %s\n", qPrintable(name),
                         qPrintable(names.join(QStringLiteral(", "))));
            return 2;
        }
    }
    try {
        program.start(self.completeBaseName());
    } catch (const AppError& e) {
        fatalFailure(e.number(), e.description());
    }
    if (fullScreenOn)
        program.board->setFullScreen(true, fullScreenOn);
    if (program.zoomOverride && *program.zoomOverride > program.board->largestFittingZoom()) {
        const QSize room = program.board->availableArea();
        std::fprintf(stderr, "527: --zoom %d does not fit the screen (%d x %d): showing %d\n",
                     *program.zoomOverride, room.width(), room.height(),
                     program.board->largestFittingZoom());
        std::fflush(stderr);
    }
    if (cli.isSet(record)) {
        if (const auto err = program.startRecording(cli.value(record), program.recordZoom)) {
            std::fprintf(stderr, "cannot record %s: %s\n", qPrintable(cli.value(record)),
                         qPrintable(*err));
            return 2;
        }
        program.panel->showRecording();
    }

    const QString replayFile = cli.value(QStringLiteral("replay-telemetry"));
    const bool endAfter = scripted && unattendedRun;
    // The export: its picture at its zoom, frames from the script's first moment, and the
    // file finished as the program ends.
    std::unique_ptr<VideoExport> videoExport;
    bool exportFailed = false;
    if (exporting) {
        videoExport = std::make_unique<VideoExport>(program, *exporting);
        program.quitting.push_back([&videoExport, &exportFailed] {
            if (!videoExport->running())
                return;
            const bool ok = videoExport->finish();
            std::fprintf(stderr, ok ? "export: done, %s\n" : "export failed: %s\n",
                         qPrintable(ok ? videoExport->progress() : videoExport->error()));
            std::fflush(stderr);
            exportFailed = !ok;
        });
    }
    // The telemetry log follows the script (or the start when there is none); a log that
    // fails ends the run with status 2.
    auto* replayRun = new ScriptRunner(program, *scriptedCompanion, &app);
    auto end = [&program, scriptedCompanion, endAfter] {
        if (!endAfter)
            return;
        scriptedCompanion->answerYesNext();
        program.panel->close();
    };
    QObject::connect(
        replayRun, &ScriptRunner::finished, &app, [replayRun, end](ScriptRunner::Outcome o) {
            if (o == ScriptRunner::Outcome::Error) {
                // The log's own fault, named as the log's: the run has failed.
                std::fprintf(stderr, "527: --replay-telemetry: %s\n",
                             qPrintable(replayRun->error().section(QStringLiteral(": "), 2)));
                std::fflush(stderr);
                QCoreApplication::exit(2);
                return;
            }
            if (o == ScriptRunner::Outcome::Finished)
                end();
        });
    auto afterScript = [replayRun, replayFile, end] {
        if (replayFile.isEmpty())
            end();
        else
            replayRun->start(QStringList{QStringLiteral("replay ") + replayFile});
    };
    if (!scripted) {
        if (!replayFile.isEmpty())
            QTimer::singleShot(0, &app, afterScript);
        if (virtualTime)
            QTimer::singleShot(0, &app, [] { SimClock::global().release(); });
    } else {
        // A script from standard input runs line by line as it comes, so another program
        // can drive the simulator through a pipe.
        const bool piped = cli.value(script) == QLatin1String("-");
        bool ok = true;
        const QStringList lines = piped ? QStringList() : readScript(cli.value(script), ok);
        if (!ok) {
            std::fprintf(stderr, "cannot read script %s\n", qPrintable(cli.value(script)));
            return 2;
        }
        auto* runner = new ScriptRunner(program, *scriptedCompanion, &app);
        QObject::connect(runner, &ScriptRunner::finished, &app,
                         [runner, afterScript](ScriptRunner::Outcome o) {
                             if (o == ScriptRunner::Outcome::Error) {
                                 std::fprintf(stderr, "%s\n", qPrintable(runner->error()));
                                 std::fflush(stderr);
                                 std::_Exit(2);
                             }
                             if (o == ScriptRunner::Outcome::Finished)
                                 afterScript();
                         });
        QTimer::singleShot(0, &app, [runner, lines, piped, virtualTime, &videoExport] {
            if (videoExport && !videoExport->start()) {
                std::fprintf(stderr, "cannot export: %s\n", qPrintable(videoExport->error()));
                std::fflush(stderr);
                std::_Exit(2);
            }
            if (videoExport) {
                startExportProgress(*videoExport);
                cancelExportOnSignal(*videoExport);
            }
            if (virtualTime)
                SimClock::global().release();
            SimClock::global().startNow();
            if (!piped) {
                runner->start(lines);
                return;
            }
            auto input = std::make_shared<StdinLines>([runner] { runner->linesArrived(); });
            runner->start([input]() -> ScriptRunner::Next {
                if (auto l = input->take())
                    return {ScriptRunner::Next::Kind::Line, *l};
                if (input->ended())
                    return {};
                return {ScriptRunner::Next::Kind::Later, {}};
            });
        });
    }
    const int status = app.exec();
    if (videoExport && videoExport->running())
        videoExport->cancel(); // the program ended before its script did
    return exportFailed ? 1 : status;
}
