#include "DataIo.h"

#include "ApiLib.h"
#include "AppError.h"
#include "Companion.h"
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
    if (field < 1 || field > 152)
        throw AppError(ErrNo::OutOfRange);
    if (field == 1) {
        row(r).StopName = text;
        return;
    }
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw AppError(ErrNo::Overflow, QStringLiteral("型が一致しません。"));
    SetRouteCell(r, field, v);
}

void RouteTable::SetRouteCell(int r, int field, long long value) {
    if (field < 1 || field > 152)
        throw AppError(ErrNo::OutOfRange);
    RouteRow& target = row(r);
    if (field == 1) {
        target.StopName = QString::number(value);
        return;
    }
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw AppError(ErrNo::Overflow);
    if (field == 2)
        target.TicketNo = static_cast<int16_t>(value);
    else
        target.columns[static_cast<size_t>(field - 3)] = static_cast<int16_t>(value);
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

void tell(QWidget* owner, const QString& text) {
    Companion::current().messageBox(owner, {appTitle(), text, MsgIcon::None, MsgButtons::Ok});
}

// Why a file could not be opened, as the classic error description.
QString openFailure(const QString& path, const QFile& f) {
    if (!QFileInfo(path).absoluteDir().exists())
        return AppError::describe(static_cast<int>(ErrNo::PathNotFound));
    if (f.error() == QFileDevice::PermissionsError)
        return AppError::describe(static_cast<int>(ErrNo::PermissionDenied));
    return AppError::describe(static_cast<int>(ErrNo::DeviceIo));
}

} // namespace

bool LoadFareData(RouteTable& table, RouteState& state, const QString& folder, QWidget* owner) {
    const QString path = fareDataPath(folder, state.RouteDigits);
    QFile f(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        tell(owner, info.absoluteDir().exists()
                        ? msgNoRouteData()
                        : AppError::describe(static_cast<int>(ErrNo::PathNotFound)));
        return false;
    }
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) {
        tell(owner, info.isDir() ? AppError::describe(static_cast<int>(ErrNo::PathFileAccess))
                                 : openFailure(path, f));
        return false;
    }
    const QByteArray data = f.readAll();
    f.close();
    const std::string_view bytes(data.constData(), static_cast<size_t>(data.size()));

    const std::optional<int16_t> n = hy3::readRowCount(bytes);
    if (!n) {
        tell(owner, QStringLiteral("運賃データファイルが短すぎて、データの数を読めません。\r\n%1")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (*n == 0) {
        tell(owner, msgZeroRows());
        return false;
    }
    if (*n - 1 < state.StartSection) {
        tell(owner, msgSectionTooLarge());
        return false;
    }
    const hy3::ParseResult parsed = hy3::parse(bytes);
    if (parsed.problem == hy3::Problem::TooManyRows) {
        tell(owner, QStringLiteral("指定した系統のデータの数(%1)が、扱える数(301)を超えています...")
                        .arg(*n));
        return false;
    }
    if (!parsed.file) {
        tell(owner,
             QStringLiteral("運賃データファイルが %1 "
                            "行目の途中で終わっています。ファイルが壊れている可能性があります...")
                 .arg(parsed.failedRow));
        return false;
    }

    // The whole file is read and checked: only now is the table replaced.
    table.ClearRouteTable();
    int i = 1;
    for (const hy3::Row& r : parsed.file->rows) {
        table.SetRouteCell(i, 1, cp932::decode(r.name));
        table.SetRouteCell(i, 2, r.ticketNo);
        for (int fld = 3; fld <= 152; ++fld)
            table.SetRouteCell(i, fld, r.columns[static_cast<size_t>(fld - 3)]);
        ++i;
    }
    state.RowCount = *n;
    state.CurrentRow = state.StartSection;
    return true;
}
