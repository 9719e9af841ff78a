#pragma once
// Builds fare data files for tests: N stops named from a list, fares by a formula.
#include "Cp932.h"
#include "Hy3Format.h"

#include <QFile>
#include <QString>
#include <functional>

inline hy3::File makeRoute(int stops, std::function<int16_t(int row, int col)> fare = {}) {
    hy3::File f;
    f.declaredRows = static_cast<int16_t>(stops);
    for (int i = 1; i <= stops; ++i) {
        hy3::Row r;
        r.name = cp932::encode(QStringLiteral("停留所%1").arg(i));
        r.ticketNo = static_cast<int16_t>(i);
        for (int k = 1; k <= 150; ++k)
            r.columns[static_cast<size_t>(k - 1)] =
                fare ? fare(i, k) : static_cast<int16_t>(i * 1000 + k);
        f.rows.push_back(r);
    }
    return f;
}

inline void writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}
