#include "CommandLineFiles.h"

#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>

std::optional<QString> checkCommandLineFiles(const std::vector<CommandLineFile>& files) {
    for (const CommandLineFile& f : files) {
        if (f.path.isEmpty() || f.path == QLatin1String("-"))
            continue;
        auto problem = [&f](const QString& why) {
            return QStringLiteral("%1 %2: %3").arg(f.option, f.path, why);
        };
        if (f.write) {
            if (const auto why = files::notWritableTarget(f.path))
                return problem(*why);
            const QFileInfo dir(QFileInfo(f.path).absolutePath());
            if (!dir.isDir())
                return problem(QStringLiteral("its folder does not exist"));
            if (!dir.isWritable())
                return problem(QStringLiteral("its folder cannot be written"));
            continue;
        }
        if (f.mayBeMissing && !QFileInfo::exists(f.path))
            continue;
        if (const auto why = files::notRegularFile(f.path))
            return problem(*why);
        QFile file(f.path);
        if (!file.open(QIODevice::ReadOnly))
            return problem(file.errorString());
    }
    return std::nullopt;
}

bool isHeadlessPlatformNoise(const QString& platform, const QString& category,
                             const QString& message) {
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        return false;
    return category.startsWith(QLatin1String("qt.qpa")) ||
           message.startsWith(QLatin1String("This plugin does not support"));
}
