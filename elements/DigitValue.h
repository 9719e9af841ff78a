#pragma once
// The value a segment digit element holds: a number or a text, as the board writes it.
#include <QString>
#include <optional>
#include <variant>

class DigitValue {
  public:
    DigitValue() : v_(0.0) {}
    static DigitValue number(double n) { return DigitValue(n); }
    static DigitValue text(QString t) { return DigitValue(std::move(t)); }

    bool isNumber() const { return std::holds_alternative<double>(v_); }
    bool isText() const { return !isNumber(); }
    double asNumber() const { return std::get<double>(v_); }
    const QString& asText() const { return std::get<QString>(v_); }

    // The number this value reads as: the number itself, or text that parses as one.
    std::optional<double> numeric() const;
    // The value as text the way the board writes numbers (230, -1, 2.5).
    QString toText() const;

    bool operator==(const DigitValue&) const = default;

  private:
    explicit DigitValue(double n) : v_(n) {}
    explicit DigitValue(QString t) : v_(std::move(t)) {}
    std::variant<double, QString> v_;
};
