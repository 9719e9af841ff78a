#include "PanelPictures.h"

#include "AppError.h"
#include "Options.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile() && !fi.isHidden();
}

QString panelErrorReason(int number) {
    switch (number) {
    case errNum(ErrNo::OutOfMemory):
    case errNum(ErrNo::OutOfStackSpace):
    case errNum(ErrNo::InternalError):
        return QStringLiteral(
            "　内部的なエラーです。ほたる舎へ報告してください。エラー場所：frmCtl."
            "Option4_Click()");
    case errNum(ErrNo::FileNotFound):
    case errNum(ErrNo::PathFileAccess):
    case errNum(ErrNo::PathNotFound):
        return QStringLiteral("　画像ファイルが見つからないか、指定している場所が不正です。");
    case errNum(ErrNo::DeviceIo):
    case errNum(ErrNo::DeviceUnavailable):
        return QStringLiteral("　デバイスエラーもしくは準備が出来ていません。");
    case errNum(ErrNo::InvalidPicture):
        return QStringLiteral("　指定した画像の内容が不正です。この部分では扱えません。");
    default:
        return {};
    }
}

QString panelErrorText(int number) {
    return QStringLiteral("エラーです。\n\nエラーコード：%1%2")
        .arg(number)
        .arg(panelErrorReason(number));
}

PanelLoad loadPanelPicture(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (!f.exists())
            return {{}, errNum(ErrNo::FileNotFound)};
        return {{},
                errNum(f.error() == QFileDevice::PermissionsError ? ErrNo::PathFileAccess
                                                                  : ErrNo::DeviceIo)};
    }
    QImageReader reader(&f);
    QImage img = reader.read();
    if (img.isNull())
        return {{},
                errNum(reader.error() == QImageReader::DeviceError ? ErrNo::DeviceIo
                                                                   : ErrNo::InvalidPicture)};
    return {std::move(img), 0};
}

std::optional<QString> userPanelFile(const Options& o, int state) {
    if (o.PanelIndividual == 0)
        return std::nullopt;
    const int16_t chosen[3] = {o.OffUser, o.On1User, o.On2User};
    const QString files[3] = {o.OffImageFile, o.On1ImageFile, o.On2ImageFile};
    if (state < 0 || state > 2 || chosen[state] == 0)
        return std::nullopt;
    return files[state];
}
