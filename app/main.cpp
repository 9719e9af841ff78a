// The fare board simulator: starts the board and the control panel, optionally runs a
// script of operator actions against them.
#include "ApiLib.h"
#include "AppError.h"
#include "DotRaster.h"
#include "FatalHandler.h"
#include "FontSubstitutes.h"
#include "Program.h"
#include "QtCompanion.h"
#include "ScriptRunner.h"
#include "ScriptedCompanion.h"
#include "StdinLines.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <string_view>

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
        if (a == "--unattended" || a == "--record" || a.starts_with("--record=") || a == "--help" ||
            a == "-h" || a == "--help-all" || a == "--version" || a == "-v") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    chooseHeadlessPlatform(argc, argv);
    MinamoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("minamo"));
    ApiLib::installFontSubstitutes();
    // Every caption of ours is Japanese: Qt's own dialogs (files, folders, colours) and
    // buttons speak it too, whatever the desktop's language.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
    // The outline faces for every dot character, as before the bitmap fonts (comparison).
    if (qEnvironmentVariableIsSet("MINAMO_OUTLINE_DOTS"))
        setBitmapGlyphsEnabled(false);
    QFont ui(ApiLib::pGothicFamily());
    ui.setPointSize(9);
    QApplication::setFont(ui);

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Fare board simulator (model 527)."));
    cli.addHelpOption();
    QCommandLineOption script(
        QStringLiteral("script"),
        QStringLiteral("Run the commands in FILE after start-up (- for standard input)."),
        QStringLiteral("FILE"));
    QCommandLineOption unattended(
        QStringLiteral("unattended"),
        QStringLiteral("Never wait for a person: message boxes go to standard error as JSON and "
                       "take their default answer; the end of the script quits."));
    QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Use FILE as the settings file instead of the one next to the program."),
        QStringLiteral("FILE"));
    QCommandLineOption audioOut(
        QStringLiteral("audio-out"),
        QStringLiteral("Also write everything the sound channels play to FILE (16-bit WAV)."),
        QStringLiteral("FILE"));
    QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Record the board and its sound as a video into FILE (.mp4: H.264 + AAC, "
                       ".webm: VP9 + Opus) until the program ends."),
        QStringLiteral("FILE"));
    QCommandLineOption recordZoom(
        QStringLiteral("record-zoom"),
        QStringLiteral("Record at N times the board's size (1-4, sharp pixels); default 1."),
        QStringLiteral("N"), QStringLiteral("1"));
    QCommandLineOption debugStalls(
        QStringLiteral("debug-stalls"),
        QStringLiteral("Log to standard error every time the window stops responding for over "
                       "50 ms, with what it was doing."));
    cli.addOptions({script, unattended, settings, audioOut, record, recordZoom, debugStalls});
    cli.process(app);

    const bool scripted = cli.isSet(script);
    ScriptedCompanion* scriptedCompanion = nullptr;
    if (scripted || cli.isSet(unattended)) {
        auto c = std::make_unique<ScriptedCompanion>(std::make_unique<QtCompanion>(),
                                                     cli.isSet(unattended));
        scriptedCompanion = c.get();
        Companion::install(std::move(c));
    }

    const QFileInfo self(QCoreApplication::applicationFilePath());
    Program program;
    program.stalls = std::make_unique<StallWatch>(cli.isSet(debugStalls));
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
    try {
        program.start(self.completeBaseName());
    } catch (const AppError& e) {
        fatalFailure(e.number(), e.description());
    }
    if (cli.isSet(record)) {
        if (const auto err = program.startRecording(cli.value(record), program.recordZoom)) {
            std::fprintf(stderr, "cannot record %s: %s\n", qPrintable(cli.value(record)),
                         qPrintable(*err));
            return 2;
        }
        program.panel->showRecording();
    }

    if (scripted) {
        // A script from standard input runs line by line as it comes, so another program
        // can drive the simulator through a pipe.
        const bool piped = cli.value(script) == QLatin1String("-");
        bool ok = true;
        const QStringList lines = piped ? QStringList() : readScript(cli.value(script), ok);
        if (!ok) {
            std::fprintf(stderr, "cannot read script %s\n", qPrintable(cli.value(script)));
            return 2;
        }
        const bool endAfter = cli.isSet(unattended);
        QTimer::singleShot(0, &app, [&program, scriptedCompanion, lines, endAfter, piped] {
            ScriptRunner runner(program, *scriptedCompanion);
            StdinLines input;
            const ScriptRunner::Outcome o =
                piped ? runner.run([&] { return input.next(); }) : runner.run(lines);
            if (o == ScriptRunner::Outcome::Error) {
                std::fprintf(stderr, "%s\n", qPrintable(runner.error()));
                std::fflush(stderr);
                std::_Exit(2);
            }
            if (o == ScriptRunner::Outcome::Finished && endAfter) {
                scriptedCompanion->answerYesNext();
                program.panel->close();
            }
        });
    }
    return app.exec();
}
