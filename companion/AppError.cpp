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
    case 6:
        return QStringLiteral("オーバーフローしました。");
    case 7:
        return QStringLiteral("メモリが不足しています。");
    case 9:
        return QStringLiteral("インデックスが有効範囲にありません。");
    case 52:
        return QStringLiteral("ファイル名または番号が不正です。");
    case 53:
        return QStringLiteral("ファイルが見つかりません。");
    case 57:
        return QStringLiteral("デバイス I/O エラーです。");
    case 70:
        return QStringLiteral("書き込みできません。");
    case 75:
        return QStringLiteral("パス名が無効です。");
    case 76:
        return QStringLiteral("パスが見つかりません。");
    case 481:
        return QStringLiteral("ピクチャが不正です。");
    default:
        return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
}
