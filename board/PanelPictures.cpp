#include "PanelPictures.h"

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
    case 7:
    case 28:
    case 51:
        return QStringLiteral(
            "　内部的なエラーです。ほたる舎へ報告してください。エラー場所：frmCtl."
            "Option4_Click()");
    case 53:
    case 75:
    case 76:
        return QStringLiteral("　画像ファイルが見つからないか、指定している場所が不正です。");
    case 57:
    case 68:
        return QStringLiteral("　デバイスエラーもしくは準備が出来ていません。");
    case 481:
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
            return {{}, 53};
        return {{}, f.error() == QFileDevice::PermissionsError ? 75 : 57};
    }
    QImageReader reader(&f);
    QImage img = reader.read();
    if (img.isNull())
        return {{}, reader.error() == QImageReader::DeviceError ? 57 : 481};
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
