#include "mdlIniIoEx.h"

#include "ChoiceGroups.h"

#include "AppError.h"
#include "In4Format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace mdlIniIoEx {

QString settingsPath(const QString& programFolder, const QString& baseName,
                     const QString& configHome) {
    const QString file = baseName + QStringLiteral(".in4");
    const QFileInfo folder(programFolder);
    // An installed program (/usr/bin, /usr/local/bin) keeps its settings in the user's
    // folder even when it runs as root and could write beside itself.
    const QString where = folder.absoluteFilePath() + QLatin1Char('/');
    const bool installed = where.startsWith(QStringLiteral("/usr/"));
    if (!installed && folder.isDir() && folder.isWritable())
        return QDir(programFolder).filePath(file);
    return QDir(configHome).filePath(baseName + QLatin1Char('/') + file);
}

namespace {

Outcome failure(ErrNo n, const QString& detail = {}) {
    return Outcome::failure(detail.isEmpty() ? AppError::describe(errNum(n)) : detail, errNum(n));
}

// Which classic error a file that could not be opened or written stands for.
ErrNo fileError(QFileDevice::FileError e) {
    switch (e) {
    case QFileDevice::PermissionsError:
        return ErrNo::PermissionDenied;
    case QFileDevice::OpenError:
    case QFileDevice::ResourceError:
        return ErrNo::PathFileAccess;
    default:
        return ErrNo::DeviceIo;
    }
}

} // namespace

Outcome SaveSettings(const QString& path, SettingsOwners& owners, SettingsRecord& record) {
    try {
        for (int i = 1; i <= limits::kFareCells; ++i)
            record.degitCells[static_cast<size_t>(i - 1)] = owners.GetDegitCell(i);
        owners.GetOptionInfo(record.options);
        owners.GetCtrlDataInfo(record.ctrl);
        owners.GetFormInfo(record.form);
        const in4::WriteResult bytes = in4::write(record);
        if (!bytes.bytes)
            return failure(ErrNo::Overflow, bytes.error);
        QDir().mkpath(QFileInfo(path).absolutePath());
        // Written beside the old file and renamed over it: the old settings survive any
        // failure on the way.
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return failure(fileError(f.error()));
        if (f.write(bytes.bytes->data(), static_cast<qint64>(bytes.bytes->size())) !=
                static_cast<qint64>(bytes.bytes->size()) ||
            !f.commit())
            return failure(fileError(f.error()));
        return Outcome::success();
    } catch (const AppError& e) {
        return Outcome::failure(e.description().isEmpty() ? AppError::describe(e.number())
                                                          : e.description(),
                                e.number());
    }
}

Outcome LoadSettings(const QString& path, SettingsOwners& owners, SettingsRecord& record) {
    try {
        const QFileInfo info(path);
        // No file (the first start) or no usable name: nothing to load, nothing to say.
        if (path.isEmpty() || !info.exists())
            return Outcome::success();
        QFile f(path);
        if (info.isDir() || !f.open(QIODevice::ReadOnly))
            return failure(info.isDir() ? ErrNo::PathFileAccess : fileError(f.error()));
        const QByteArray data = f.readAll();
        f.close();
        const in4::ReadResult read =
            in4::read(std::string_view(data.constData(), static_cast<size_t>(data.size())));
        record = read.record;
        // The dialog, the model and the next save must agree on a group of option
        // buttons the file leaves unsettled.
        settleChoiceGroups(record.options);
        owners.ApplyElements(record);
        owners.SetOptionInfo(record.options);
        owners.SetCtrlDataInfo(record.ctrl);
        owners.SetFormInfo(record.form);
        owners.SetProp();
        return Outcome::success();
    } catch (const AppError& e) {
        // The steps already done stay done; the later ones are skipped.
        return Outcome::failure(e.description().isEmpty() ? AppError::describe(e.number())
                                                          : e.description(),
                                e.number());
    }
}

QString errorText(const Outcome& o) {
    return QStringLiteral("エラー Code:%1\r\n内容:%2").arg(o.errorNo).arg(o.message);
}

} // namespace mdlIniIoEx
