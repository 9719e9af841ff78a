#include "ExportFormat.h"

namespace exportfmt {

std::optional<Container> containerFor(const QString& path) {
    if (path.endsWith(QLatin1Char('/')))
        return Container::PngFolder;
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".mp4")))
        return Container::Mp4;
    if (lower.endsWith(QLatin1String(".webm")))
        return Container::Webm;
    if (lower.endsWith(QLatin1String(".mov")))
        return Container::Mov;
    return std::nullopt;
}

bool keepsAlpha(Container c) {
    return c != Container::Mp4;
}

std::variant<Options, QString> parse(const QString& path, const QString& zoom, const QString& fps,
                                     const QString& background) {
    Options o;
    o.path = path;
    const auto c = containerFor(path);
    if (!c)
        return QStringLiteral("--export takes a file ending in .mp4, .webm or .mov, or a folder "
                              "name ending in /");
    o.container = *c;
    bool ok = false;
    o.zoom = zoom.toInt(&ok);
    if (!ok || o.zoom < 1 || o.zoom > 4)
        return QStringLiteral("--export-zoom takes 1, 2, 3 or 4");
    o.fps = fps.toInt(&ok);
    if (!ok || (o.fps != 30 && o.fps != 60))
        return QStringLiteral("--export-fps takes 30 or 60");
    if (background == QLatin1String("panel"))
        o.background = Background::Panel;
    else if (background == QLatin1String("transparent"))
        o.background = Background::Transparent;
    else if (background == QLatin1String("lit"))
        o.background = Background::Lit;
    else
        return QStringLiteral("--export-background takes panel, transparent or lit");
    if (o.container == Container::Mp4 && o.background != Background::Panel)
        return QStringLiteral("an .mp4 keeps no transparency: export to .mov, .webm or a folder "
                              "for --export-background %1")
            .arg(background);
    return o;
}

} // namespace exportfmt
