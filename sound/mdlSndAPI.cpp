#include "mdlSndAPI.h"

#include <QFileInfo>

namespace {
constexpr size_t kRecentCommands = 64;
} // namespace

mdlSndAPI::mdlSndAPI(QString programBaseName, Sink sink, std::function<void(int)> sleepMs)
    : base_(std::move(programBaseName)), sink_(std::move(sink)), sleep_(std::move(sleepMs)) {}

void mdlSndAPI::send(const QString& command) {
    recent_.push_back(command);
    while (recent_.size() > kRecentCommands)
        recent_.pop_front();
    if (sink_)
        sink_(command);
}

QStringList mdlSndAPI::recentCommands() const {
    return QStringList(recent_.begin(), recent_.end());
}

void mdlSndAPI::PlaySnd(const QString& file, Channel channel, bool wait, int pauseMs) {
    // An empty name, a missing file or a folder leaves the channel's current sound playing.
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    const QString a = alias(channel);
    send(QStringLiteral("close ") + a);
    const QString kind = file.right(3).toUpper().trimmed();
    const QChar q = QLatin1Char('"');
    if (kind == QLatin1String("WAV"))
        send(QStringLiteral("open ") + q + file + q + QStringLiteral(" type waveaudio alias ") + a +
             QStringLiteral(" wait"));
    else if (kind == QLatin1String("MID"))
        send(QStringLiteral("open ") + q + file + q + QStringLiteral(" type sequencer alias ") + a +
             QStringLiteral(" wait"));
    else
        return; // the channel stays closed: nothing plays
    if (played)
        played(channel, file);
    if (wait) {
        send(QStringLiteral("play ") + a + QStringLiteral(" from 0 wait"));
        if (sleep_ && pauseMs > 0)
            sleep_(pauseMs);
    } else {
        send(QStringLiteral("stop ") + a);
        send(QStringLiteral("play ") + a + QStringLiteral(" from 0"));
        if (sleep_)
            sleep_(0);
    }
}

void mdlSndAPI::CloseAllSnd() {
    for (const Channel c : kAllChannels)
        send(QStringLiteral("close ") + alias(c));
}
