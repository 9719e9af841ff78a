#include "RegularFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace files {

namespace {

std::optional<QString> kindProblem(const struct stat& st) {
    if (S_ISREG(st.st_mode))
        return std::nullopt;
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a folder");
    return QStringLiteral("is not a regular file");
}

} // namespace

std::optional<QString> notRegularFile(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("no file named");
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return kindProblem(st);
}

std::optional<QString> notWritableTarget(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("no file named");
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? std::nullopt
                               : std::optional<QString>(QString::fromLocal8Bit(std::strerror(errno)));
    return kindProblem(st);
}

} // namespace files
