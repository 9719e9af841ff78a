#include "OwnOptions.h"

#include <QSaveFile>
#include <QSettings>

namespace ownoptions {
namespace {

bool flag(const QSettings& s, const char* key, int16_t now) {
    return s.value(QString::fromLatin1(key), now != 0).toBool();
}

template <typename T> void ranged(const QSettings& s, const char* key, T& field, int lo, int hi) {
    bool ok = false;
    const int v = s.value(QString::fromLatin1(key), field).toInt(&ok);
    if (ok && v >= lo && v <= hi)
        field = static_cast<T>(v);
}

} // namespace

QString pathBeside(const QString& settingsPath, const QString& suffix) {
    QString base = settingsPath;
    if (base.endsWith(QLatin1String(".in4")))
        base.chop(4);
    return base + suffix;
}

void load(const QString& settingsPath, Options& o) {
    const QSettings remote(pathBeside(settingsPath, QStringLiteral(".remote")),
                           QSettings::IniFormat);
    o.RemoteControl = flag(remote, "remote/enabled", o.RemoteControl) ? 1 : 0;
    o.RemoteLan = flag(remote, "remote/lan", o.RemoteLan) ? 1 : 0;
    o.RemoteQuit = flag(remote, "remote/quit", o.RemoteQuit) ? 1 : 0;
    o.TapeFollowsSection = flag(remote, "announce/followSection", o.TapeFollowsSection) ? 1 : 0;
    ranged(remote, "follow/announceDistanceM", o.AnnounceDistanceM, 10, 5000);

    const QSettings display(pathBeside(settingsPath, QStringLiteral(".display")),
                            QSettings::IniFormat);
    ranged(display, "board/zoom", o.BoardZoom, 1, 4);
    o.LedDisplay = flag(display, "led/on", o.LedDisplay) ? 1 : 0;
    o.LedGlow = flag(display, "led/glow", o.LedGlow) ? 1 : 0;
    ranged(display, "led/color", o.LedColor, 0, 2);
}

namespace {

QByteArray yesNo(int16_t v) {
    return v != 0 ? "true" : "false";
}

// Written whole beside the old file and renamed over it, with no lock file: a program
// killed mid-save leaves nothing that holds the next one up.
bool replaceFile(const QString& path, const QByteArray& text) {
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() && f.commit();
}

} // namespace

Texts texts(const Options& o) {
    Texts t;
    t.remote = "[announce]\nfollowSection=" + yesNo(o.TapeFollowsSection) +
               "\n\n[follow]\nannounceDistanceM=" + QByteArray::number(o.AnnounceDistanceM) +
               "\n\n[remote]\nenabled=" + yesNo(o.RemoteControl) + "\nlan=" + yesNo(o.RemoteLan) +
               "\nquit=" + yesNo(o.RemoteQuit) + "\n";
    t.display = "[board]\nzoom=" + QByteArray::number(o.BoardZoom) + "\n\n[led]\ncolor=" +
                QByteArray::number(o.LedColor) + "\nglow=" + yesNo(o.LedGlow) +
                "\non=" + yesNo(o.LedDisplay) + "\n";
    return t;
}

bool save(const QString& settingsPath, const Options& o) {
    return write(settingsPath, texts(o));
}

bool write(const QString& settingsPath, const Texts& t) {
    const bool remote = replaceFile(pathBeside(settingsPath, QStringLiteral(".remote")), t.remote);
    const bool display =
        replaceFile(pathBeside(settingsPath, QStringLiteral(".display")), t.display);
    return remote && display;
}

} // namespace ownoptions
