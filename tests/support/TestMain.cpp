// Shared test main: offscreen platform at 96 dpi, fixed time zone and locale, the
// program's font substitutes, a companion that never blocks, and the simulator's clock on
// virtual time, so what a test measures is simulator time whatever the machine's load.
#include "ApiLib.h"
#include "FakeCompanion.h"
#include "FontSubstitutes.h"
#include "SimClock.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Off screen always; a test may name virtual monitors ("offscreen:configfile=…").
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen:")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    qputenv("QT_FONT_DPI", "96");
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    ApiLib::installFontSubstitutes();
    Companion::install(std::make_unique<FakeCompanion>());
    SimClock::global().setMode(SimClock::Mode::Virtual);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
