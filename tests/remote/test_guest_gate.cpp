// What a network client may run: the operator's commands pass, everything that names a
// file, opens a dialog, waits or touches the server's own options is refused with a reason.
#include "RemotePolicy.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

remote::GuestDecision decide(const char* line, bool quitAllowed = false) {
    remote::GuestFacts f;
    f.quitAllowed = quitAllowed;
    // As the program answers: numbers are plain values, paths and texts are not.
    f.plainValueOption = [](const QString& n) {
        return n != QLatin1String("FareDataFolder") && n != QLatin1String("FixedDateText") &&
               n != QLatin1String("NoSuchOption");
    };
    return remote::guestPermission(QString::fromUtf8(line).split(QLatin1Char(' ')), f);
}

struct Row {
    const char* line;
    bool allowed;
    const char* reasonHas; // a word the refusal names
};

} // namespace

TEST(GuestGate, TheOperatorsCommandsPassAndEverythingElseIsRefusedWithItsReason) {
    const Row rows[] = {
        {"key route", true, ""},
        {"list route 0 0 1 - -", true, ""},
        {"reset keypad", true, ""},
        {"next", true, ""},
        {"blank on", true, ""},
        {"backlight 2", true, ""},
        {"speed 30", true, ""},
        {"tape next", true, ""},
        {"tape stop", true, ""},
        {"auto start 8", true, ""},
        {"auto stop", true, ""},
        {"zoom 2", true, ""},
        {"fullscreen on", true, ""},
        {"company 1", true, ""},
        {"state", true, ""},
        {"snapshot board", true, ""},
        {"snapshot board --zoom 3", true, ""},
        {"snapshot board --background lit --zoom 2", true, ""},
        {"snapshot ticket", true, ""},
        {"record start", true, ""},
        {"record stop", true, ""},
        {"option LedDisplay 1", true, ""},
        {"option ChimeiForeColor 255", true, ""},
        // Files of the client's choosing.
        {"state /home/user/.bashrc", false, "file"},
        {"snapshot board /tmp/x.png", false, "file"},
        {"snapshot board --zoom 2 /tmp/x.png", false, "file"},
        {"snapshot board --background lit /tmp/x.png", false, "file"},
        {"snapshot board --zoom 2 --background", false, "file"},
        {"snapshot options", false, "board, panel or ticket"},
        {"record start /tmp/x.mp4", false, "file"},
        {"record start tcp://127.0.0.1:9/x.mp4", false, "file"},
        {"replay /etc/shadow", false, "file"},
        {"answer file /tmp/x", false, "file"},
        {"option FareDataFolder /tmp", false, "plain value"},
        {"option FixedDateText $(touch /tmp/x)", false, "plain value"},
        // Our own doors.
        {"option RemoteLan 1", false, "server"},
        {"option RemoteControl 0", false, "server"},
        {"option RemoteQuit 1", false, "server"},
        // Dialogs and waits.
        {"tape adjust", false, "dialog"},
        {"settings", false, "dialog"},
        {"ok", false, "dialog"},
        {"click frmOption.Command4", false, "dialog"},
        {"version", false, "dialog"},
        {"digit-dialog 1 0 0 0 1", false, "dialog"},
        {"wait 2147483647", false, "hold"},
        {"at 0:00 next", false, "hold"},
        {"auto wait", false, "hold"},
        {"clock 2026-01-01 00:00:00", false, "clock"},
        {"quit", false, "リモートからの終了を許可"},
        // The open-data import is a dialog and names files.
        {"routes feed /tmp/feed.zip", false, "dialog"},
        {"routes import", false, "dialog"},
        {"snapshot routes", false, "board, panel or ticket"},
        // A command nobody has judged stays closed.
        {"format-disk", false, ""},
    };
    for (const Row& r : rows) {
        const remote::GuestDecision d = decide(r.line);
        EXPECT_EQ(d.allowed, r.allowed) << r.line;
        if (!r.allowed) {
            EXPECT_FALSE(d.reason.isEmpty()) << r.line;
            EXPECT_TRUE(d.reason.contains(QString::fromUtf8(r.reasonHas)))
                << r.line << ": " << d.reason.toStdString();
        }
    }
    EXPECT_TRUE(decide("quit", true).allowed);
}

TEST(GuestGate, EveryRuleInTheDocumentedListDecidesTheWayItSays) {
    QSet<QString> seen;
    for (const remote::GuestRule& r : remote::guestRules()) {
        EXPECT_FALSE(seen.contains(QString::fromLatin1(r.command))) << r.command;
        seen.insert(QString::fromLatin1(r.command));
        const bool refused = QString::fromUtf8(r.permission).startsWith(QLatin1String("refused"));
        if (refused) {
            EXPECT_FALSE(decide(r.command).allowed) << r.command;
        }
    }
    EXPECT_GE(seen.size(), 30);
}
