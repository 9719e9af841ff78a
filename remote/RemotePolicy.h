#pragma once
// What a network client may ask of the simulator. A client is a guest: it gets the
// operator's own commands (the panel's buttons, following the bus, looking at the board)
// and nothing that names a file, opens a dialog, waits, or touches our security options.
// Scripts given on the command line keep the whole language; only this gate stands
// between a socket and the command table.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace remote {

// What the gate needs to know about the running program.
struct GuestFacts {
    // リモートからの終了を許可: `quit` from a client is allowed.
    bool quitAllowed = false;
    // Whether an option is a plain value a client may set (a number, a colour, a flag),
    // by its settings name; paths, texts and our security options are not.
    std::function<bool(const QString& name)> plainValueOption;
};

struct GuestDecision {
    bool allowed = false;
    QString reason; // why not, for the client's error answer
};

// The decision for one command line split into words (words[0] the command's name).
// Commands the gate does not know are refused: a new command is closed to clients until
// someone decides it is safe.
GuestDecision guestPermission(const QStringList& words, const GuestFacts& facts);

// Every command a client may send, with its permission in words, for the protocol's
// documentation and for tests that keep the two in step.
struct GuestRule {
    const char* command;
    const char* permission;
};
const std::vector<GuestRule>& guestRules();

// Options no client may set whatever their kind: the server's own doors.
bool isSecurityOption(const QString& name);

} // namespace remote
