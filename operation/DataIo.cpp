#include "DataIo.h"
#include "RegularFile.h"

#include "ApiLib.h"
#include "AppError.h"
#include "Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

int16_t RouteRow::column(int k) const {
    if (k < 1 || k > kDataColumns)
        throw AppError(ErrNo::OutOfRange);
    return columns[static_cast<size_t>(k - 1)];
}

RouteTable::RouteTable() : rows_(kRouteCapacity) {}

const RouteRow& RouteTable::row(int i) const {
    if (i < 1 || i > kRouteCapacity)
        throw AppError(ErrNo::OutOfRange);
    return rows_[static_cast<size_t>(i - 1)];
}

RouteRow& RouteTable::row(int i) {
    return const_cast<RouteRow&>(static_cast<const RouteTable&>(*this).row(i));
}

void RouteTable::ClearRouteTable() {
    for (RouteRow& r : rows_)
        r = RouteRow{};
}

void RouteTable::SetRouteCell(int r, int field, const QString& text) {
    if (field < 1 || field > kDataColumns + 2)
        throw AppError(ErrNo::OutOfRange);
    if (field == 1) {
        SetRouteName(r, cp932::encode(text));
        return;
    }
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw AppError(ErrNo::Overflow, QStringLiteral("型が一致しません。"));
    SetRouteCell(r, field, v);
}

void RouteTable::SetRouteCell(int r, int field, long long value) {
    if (field < 1 || field > kDataColumns + 2)
        throw AppError(ErrNo::OutOfRange);
    RouteRow& target = row(r);
    if (field == 1) {
        SetRouteName(r, QString::number(value).toStdString());
        return;
    }
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw AppError(ErrNo::Overflow);
    if (field == 2)
        target.TicketNo = static_cast<int16_t>(value);
    else
        target.columns[static_cast<size_t>(field - 3)] = static_cast<int16_t>(value);
}

void RouteTable::SetRouteName(int r, std::string bytes) {
    RouteRow& target = row(r);
    target.StopName = cp932::decode(bytes);
    target.StopNameBytes = std::move(bytes);
}

QString routeFileNumber(const QString& routeDigits) {
    long long n = 0;
    for (QChar c : routeDigits)
        if (c.isDigit())
            n = n * 10 + c.digitValue();
    return QString::number(n);
}

QString fareDataPath(const QString& folder, const QString& routeDigits) {
    return ApiLib::withTrailingSeparator(folder) + routeFileNumber(routeDigits) +
           QStringLiteral(".hy3");
}

QString msgNoRouteData() {
    return QStringLiteral("指定した系統のデータがありません...");
}
QString msgZeroRows() {
    return QStringLiteral("指定した系統はデータの数が0(未登録)の可能性があります...");
}
QString msgSectionTooLarge() {
    return QStringLiteral(
        "指定した区間はデータの数よりも多いです...\r\n  解決法：正しい区間を入力して下さい.");
}

namespace {

Outcome tell(const QString& text, ErrNo number) {
    return Outcome::failure(text, static_cast<int>(number));
}
Outcome tell(const QString& text) {
    return Outcome::failure(text);
}

// Why a file could not be opened, as the classic error description.
QString openFailure(const QString& path, const QFile& f) {
    if (!QFileInfo(path).absoluteDir().exists())
        return AppError::describe(errNum(ErrNo::PathNotFound));
    if (f.error() == QFileDevice::PermissionsError)
        return AppError::describe(errNum(ErrNo::PermissionDenied));
    return AppError::describe(errNum(ErrNo::DeviceIo));
}

} // namespace

Outcome LoadFareData(RouteTable& table, RouteState& state, const QString& folder) {
    const QString path = fareDataPath(folder, state.RouteDigits);
    QFile f(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        return info.absoluteDir().exists()
                   ? tell(msgNoRouteData())
                   : tell(AppError::describe(errNum(ErrNo::PathNotFound)), ErrNo::PathNotFound);
    }
    if (info.isDir() || files::notRegularFile(path) || !f.open(QIODevice::ReadOnly)) {
        if (info.isDir() || files::notRegularFile(path))
            return tell(AppError::describe(errNum(ErrNo::PathFileAccess)), ErrNo::PathFileAccess);
        return tell(openFailure(path, f));
    }
    const QByteArray data = f.readAll();
    f.close();
    const std::string_view bytes(data.constData(), static_cast<size_t>(data.size()));

    const std::optional<int16_t> n = hy3::readRowCount(bytes);
    if (!n) {
        return tell(QStringLiteral("運賃データファイルが短すぎて、データの数を読めません。\r\n%1")
                        .arg(QDir::toNativeSeparators(path)));
    }
    if (*n == 0) {
        return tell(msgZeroRows());
    }
    if (*n - 1 < state.StartSection) {
        return tell(msgSectionTooLarge());
    }
    const hy3::ParseResult parsed = hy3::parse(bytes);
    if (parsed.problem == hy3::Problem::TooManyRows) {
        return tell(QStringLiteral("指定した系統のデータの数(%1)が、扱える数(%2)を超えています...")
                        .arg(*n)
                        .arg(kRouteCapacity));
    }
    if (!parsed.file) {
        return tell(
            QStringLiteral("運賃データファイルが %1 "
                           "行目の途中で終わっています。ファイルが壊れている可能性があります...")
                .arg(parsed.failedRow));
    }

    // The whole file is read and checked: only now is the table replaced.
    table.ClearRouteTable();
    int i = 1;
    for (const hy3::Row& r : parsed.file->rows) {
        table.SetRouteName(i, r.name);
        table.SetRouteCell(i, 2, r.ticketNo);
        for (int fld = 3; fld <= kDataColumns + 2; ++fld)
            table.SetRouteCell(i, fld, r.columns[static_cast<size_t>(fld - 3)]);
        ++i;
    }
    state.RowCount = *n;
    state.CurrentRow = state.StartSection;
    return Outcome::success();
}
