#include "RemotePolicy.h"

#include "LeadingFlags.h"

#include <QSet>

namespace remote {

namespace {

GuestDecision allow() {
    return {true, {}};
}

GuestDecision refuse(const QString& why) {
    return {false, why};
}

QString arg(const QStringList& w, int i) {
    return i < w.size() ? w[i] : QString();
}

GuestDecision snapshotRule(const QStringList& w) {
    const QString what = arg(w, 1);
    if (what != QLatin1String("board") && what != QLatin1String("panel") &&
        what != QLatin1String("ticket"))
        return refuse(QStringLiteral("snapshot takes board, panel or ticket over the network"));
    // The picture comes back in the answer; a file name would write on this computer.
    const int plain =
        what == QLatin1String("board")
            ? readLeadingFlags(w, 2, {QStringLiteral("zoom"), QStringLiteral("background")}).next
            : 2;
    if (w.size() > plain)
        return refuse(QStringLiteral("snapshot returns the picture in the answer; a client "
                                     "may not name a file"));
    return allow();
}

GuestDecision optionRule(const QStringList& w, const GuestFacts& f) {
    const QString name = arg(w, 1);
    if (isSecurityOption(name))
        return refuse(QStringLiteral("option %1 guards the server itself; only the person at "
                                     "this computer may change it")
                          .arg(name));
    if (!f.plainValueOption || !f.plainValueOption(name))
        return refuse(QStringLiteral("option %1 is not a plain value (a number, colour or flag); "
                                     "a client may not set it")
                          .arg(name));
    return allow();
}

} // namespace

bool isSecurityOption(const QString& name) {
    static const QSet<QString> guarded = {
        QStringLiteral("RemoteControl"), QStringLiteral("RemoteLan"), QStringLiteral("RemoteQuit")};
    return guarded.contains(name);
}

const std::vector<GuestRule>& guestRules() {
    static const std::vector<GuestRule> rules = {
        {"key", "allowed"},
        {"list", "allowed"},
        {"reset", "allowed"},
        {"next", "allowed"},
        {"back", "allowed"},
        {"blank", "allowed"},
        {"latenight", "allowed"},
        {"preview", "allowed"},
        {"backlight", "allowed"},
        {"speed", "allowed"},
        {"interval", "allowed"},
        {"page", "allowed"},
        {"company", "allowed"},
        {"zoom", "allowed"},
        {"fullscreen", "allowed"},
        {"follow", "allowed"},
        {"telemetry", "allowed"},
        {"tape", "next, back and stop; not adjust (a dialog)"},
        {"auto", "start and stop; not wait"},
        {"record", "start (into the video folder, under a name the program chooses) and stop; "
                   "not a file of the client's"},
        {"state", "without a file: the state comes back in the answer"},
        {"snapshot", "board [--zoom N] [--background panel|transparent|lit], panel or ticket "
                     "without a file: the PNG comes back in "
                     "the answer"},
        {"option", "plain values only (numbers, colours, flags); not paths, texts or "
                   "RemoteControl, RemoteLan, RemoteQuit"},
        {"quit", "only while リモートからの終了を許可 is on"},
        {"digit-dialog", "refused (a dialog)"},
        {"settings", "refused (a dialog)"},
        {"ok", "refused (a dialog)"},
        {"apply", "refused (a dialog)"},
        {"click", "refused (a dialog)"},
        {"answer", "refused (answers dialogs, names files)"},
        {"version", "refused (a dialog)"},
        {"wait", "refused (holds everyone's requests)"},
        {"at", "refused (holds everyone's requests)"},
        {"clock", "refused (the program's clock is the operator's)"},
        {"replay", "refused (reads a file on this computer)"},
    };
    return rules;
}

GuestDecision guestPermission(const QStringList& w, const GuestFacts& f) {
    const QString name = arg(w, 0);
    static const QSet<QString> plain = {
        QStringLiteral("key"),       QStringLiteral("list"),     QStringLiteral("reset"),
        QStringLiteral("next"),      QStringLiteral("back"),     QStringLiteral("blank"),
        QStringLiteral("latenight"), QStringLiteral("preview"),  QStringLiteral("backlight"),
        QStringLiteral("speed"),     QStringLiteral("interval"), QStringLiteral("page"),
        QStringLiteral("company"),   QStringLiteral("zoom"),     QStringLiteral("fullscreen"),
        QStringLiteral("follow"),    QStringLiteral("telemetry")};
    if (plain.contains(name))
        return allow();
    if (name == QLatin1String("tape"))
        return arg(w, 1) == QLatin1String("adjust")
                   ? refuse(QStringLiteral("tape adjust opens a dialog on the desktop"))
                   : allow();
    if (name == QLatin1String("auto"))
        return arg(w, 1) == QLatin1String("wait")
                   ? refuse(QStringLiteral("auto wait would hold every client's requests"))
                   : allow();
    if (name == QLatin1String("record"))
        return w.size() > 2 ? refuse(QStringLiteral("record start takes no file over the "
                                                    "network: it records into the video folder"))
                            : allow();
    if (name == QLatin1String("state"))
        return w.size() > 1 ? refuse(QStringLiteral("state returns the state in the answer; a "
                                                    "client may not name a file"))
                            : allow();
    if (name == QLatin1String("snapshot"))
        return snapshotRule(w);
    if (name == QLatin1String("option"))
        return optionRule(w, f);
    if (name == QLatin1String("quit"))
        return f.quitAllowed ? allow()
                             : refuse(QStringLiteral("quit from a client is off "
                                                     "(リモートからの終了を許可)"));
    if (name == QLatin1String("wait") || name == QLatin1String("at"))
        return refuse(QStringLiteral("%1 would hold every client's requests").arg(name));
    if (name == QLatin1String("replay") || name == QLatin1String("answer"))
        return refuse(QStringLiteral("%1 names a file on this computer").arg(name));
    if (name == QLatin1String("clock"))
        return refuse(QStringLiteral("the program's clock is the operator's"));
    return refuse(QStringLiteral("%1 opens a dialog or is for scripts only").arg(name));
}

} // namespace remote
