#pragma once
// A board that records every call as one line of text, for tests of what drives it.
#include "BoardView.h"
#include "Cp932.h"

#include <QRegularExpression>
#include <QStringList>

class RecordingBoard : public BoardView {
  public:
    QStringList log;
    int16_t mode = 0;
    bool inputEnabled = true;
    QString caption;
    void showFare(int p, const DigitValue& v) override {
        log << QStringLiteral("fare %1=%2").arg(p).arg(v.toText());
    }
    void lampTest(bool on) override { log << QStringLiteral("lamp %1").arg(on); }
    void showStopName(std::string_view name, int16_t draw, int16_t keep) override {
        log << QStringLiteral("name %1 %2 %3").arg(cp932::decode(name)).arg(draw).arg(keep);
        mode = keep;
    }
    int16_t stopNameMode() const override { return mode; }
    void blank(bool on) override { log << QStringLiteral("blank %1").arg(on); }
    void clearStopName() override { log << QStringLiteral("clear name"); }
    void setScroll(int speed, int wait) override {
        log << QStringLiteral("scroll %1 %2").arg(speed).arg(wait);
    }
    void setInputEnabled(bool on) override { inputEnabled = on; }
    void setCaption(const QString& text) override { caption = text; }
    void releaseShape() override { log << QStringLiteral("release shape"); }
    std::optional<double> shownFare(int) const override { return std::nullopt; }
    QStringList only(const QString& prefix) const {
        return log.filter(QRegularExpression(u'^' + prefix));
    }
};
