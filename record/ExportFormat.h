#pragma once
// What a video export writes, from the file name and the options a user gives: the
// container by the name's ending, whether it keeps transparency, the frame rate, zoom and
// background, and the moment each frame shows.
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

namespace exportfmt {

enum class Container {
    Mp4,       // H.264 + AAC, opaque
    Webm,      // VP9 with alpha + Opus
    Mov,       // ProRes 4444 with alpha + 16-bit PCM
    PngFolder, // numbered PNG frames with alpha + audio.wav
};

enum class Background {
    Panel,       // the board as the window shows it, on black outside its rounded shape
    Transparent, // the board, transparent outside its rounded shape
    Lit,         // only what is lit, on transparency
};

struct Options {
    QString path;
    Container container = Container::Mp4;
    int zoom = 1;
    int fps = 30;
    Background background = Background::Panel;
};

// The container a name asks for: .mp4, .webm, .mov, or a folder (a name ending in '/').
std::optional<Container> containerFor(const QString& path);
bool keepsAlpha(Container c);
// The options from the command line's texts; the reason when one is not understood.
std::variant<Options, QString> parse(const QString& path, const QString& zoom, const QString& fps,
                                     const QString& background);
// Frame k shows the board at k / fps seconds: the first simulator millisecond at or after.
inline int64_t frameTimeMs(int64_t k, int fps) {
    return (k * 1000 + fps - 1) / fps;
}
// Frames that fit in `ms` of simulator time (frame 0 at 0 included).
inline int64_t framesIn(int64_t ms, int fps) {
    return ms * fps / 1000 + 1;
}

} // namespace exportfmt
