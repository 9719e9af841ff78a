#include "BoardModel.h"

BoardModel::BoardModel() {
    for (size_t n = 1; n < cells.size(); ++n) {
        cells[n].setKeta(3);
        cells[n].setDegitSize(2);
        cells[n].DegitStyle = 1;
    }
    for (DigitState& c : clock)
        c.setKeta(2);
}

QString BoardModel::litText(int n) const {
    const DigitState& c = cells.at(static_cast<size_t>(n));
    return ::litText(c.Value, c);
}

std::optional<double> BoardModel::shownFare(int position) const {
    if (position < 1 || position > limits::kFareCells)
        return std::nullopt;
    bool ok = false;
    const double v = litText(position).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}
