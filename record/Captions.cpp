#include "Captions.h"

void CaptionTrack::open(int64_t ms, const QString& text) {
    close(ms);
    cues_.push_back({ms, ms, text});
    isOpen_ = true;
}

void CaptionTrack::close(int64_t ms) {
    if (!isOpen_)
        return;
    isOpen_ = false;
    Cue& c = cues_.back();
    c.endMs = ms;
    // A cue that never lasted (a line cut off before it sounded) shows nothing.
    if (c.endMs <= c.startMs)
        cues_.pop_back();
}

QString captionTime(int64_t ms, QChar decimal) {
    const int64_t h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60, f = ms % 1000;
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'))
        .arg(decimal)
        .arg(f, 3, 10, QLatin1Char('0'));
}

namespace {
// A cue's text on its own lines, never a blank one (which would end the cue).
QString cueText(const QString& t) {
    QString out = t;
    out.replace(QLatin1String("\r"), QString());
    while (out.contains(QLatin1String("\n\n")))
        out.replace(QLatin1String("\n\n"), QLatin1String("\n"));
    return out.trimmed();
}
} // namespace

QString CaptionTrack::srt() const {
    QString out;
    int n = 0;
    for (const Cue& c : cues_)
        out += QStringLiteral("%1\n%2 --> %3\n%4\n\n")
                   .arg(++n)
                   .arg(captionTime(c.startMs, QLatin1Char(',')),
                        captionTime(c.endMs, QLatin1Char(',')), cueText(c.text));
    return out;
}

QString CaptionTrack::vtt() const {
    QString out = QStringLiteral("WEBVTT - %1\n\n").arg(name_);
    for (const Cue& c : cues_)
        out += QStringLiteral("%1 --> %2\n%3\n\n")
                   .arg(captionTime(c.startMs, QLatin1Char('.')),
                        captionTime(c.endMs, QLatin1Char('.')), cueText(c.text));
    return out;
}
