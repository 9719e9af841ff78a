#include "AppError.h"

namespace {
std::string whatText(ErrNo n, const QString& d) {
    return std::to_string(static_cast<int>(n)) + ": " + d.toStdString();
}
} // namespace

AppError::AppError(ErrNo number, QString description)
    : std::runtime_error(whatText(number, description.isEmpty() ? describe(static_cast<int>(number))
                                                                : description)),
      number_(static_cast<int>(number)),
      description_(description.isEmpty() ? describe(number_) : std::move(description)) {}

QString AppError::describe(int number) {
    switch (number) {
    case errNum(ErrNo::Overflow):
        return QStringLiteral("オーバーフローしました。");
    case errNum(ErrNo::OutOfMemory):
        return QStringLiteral("メモリが不足しています。");
    case errNum(ErrNo::OutOfRange):
        return QStringLiteral("インデックスが有効範囲にありません。");
    case errNum(ErrNo::BadFileName):
        return QStringLiteral("ファイル名または番号が不正です。");
    case errNum(ErrNo::FileNotFound):
        return QStringLiteral("ファイルが見つかりません。");
    case errNum(ErrNo::DeviceIo):
        return QStringLiteral("デバイス I/O エラーです。");
    case errNum(ErrNo::PermissionDenied):
        return QStringLiteral("書き込みできません。");
    case errNum(ErrNo::PathFileAccess):
        return QStringLiteral("パス名が無効です。");
    case errNum(ErrNo::PathNotFound):
        return QStringLiteral("パスが見つかりません。");
    case errNum(ErrNo::InvalidPicture):
        return QStringLiteral("ピクチャが不正です。");
    default:
        return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
}
