#pragma once
// The stop-name element: a view of a stop line (its own, or the board model's) that shows
// it at a whole-pixel zoom or in the LED look and steps its scroll on the simulator's
// clock, one frame every 15 ms (or at each display frame in the LED look).
#include "LedLook.h"
#include "LedMatrix.h"
#include "Limits.h"
#include "SimClock.h"
#include "StopLine.h"
#include "StopLineView.h"

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

class ChimeiCtl_DX : public QWidget {
    Q_OBJECT
  public:
    explicit ChimeiCtl_DX(QWidget* parent = nullptr);

    // Shows `line` (kept by the caller) instead of the element's own.
    void bindLine(StopLine* line);
    StopLine& line() const { return *line_; }

    uint32_t BackColor() const { return s().backColor; }
    void setBackColor(uint32_t c);
    uint32_t ForeColor() const { return s().foreColor; }
    void setForeColor(uint32_t c) { s().foreColor = c; }
    int16_t Speed() const { return s().speed; }
    void setSpeed(int16_t v) { s().speed = v; }
    int32_t ScrollStartWait() const { return s().startWait; }
    void setScrollStartWait(int32_t v) { s().startWait = v; }
    int16_t Mode() const { return s().mode; }
    void setMode(int16_t v) { s().mode = v; }
    int16_t Appearance() const { return s().appearance; }
    void setAppearance(int16_t v);
    int16_t FontMode() const { return s().fontMode; }
    void setFontMode(int16_t v) { s().fontMode = v; }
    bool FontBold() const { return s().fontBold; }
    void setFontBold(bool v) { s().fontBold = v; }
    int16_t TsugiwaMode() const { return s().tsugiwaMode; }
    void setTsugiwaMode(int16_t v) { s().tsugiwaMode = (v > 2 || v < 0) ? 0 : v; }
    uint32_t TsugiwaColor() const { return s().tsugiwaColor; }
    void setTsugiwaColor(uint32_t c) { s().tsugiwaColor = c; }
    int16_t TsugiwaFontMode() const { return s().tsugiwaFontMode; }
    void setTsugiwaFontMode(int16_t v) { s().tsugiwaFontMode = v; }
    bool TsugiwaBold() const { return s().tsugiwaBold; }
    void setTsugiwaBold(bool v) { s().tsugiwaBold = v; }

    // Shows `name`, replacing what was there; a name that does not fit starts to scroll
    // and every earlier scroll ends. An empty name only clears the line.
    void SetChimei(const QString& name);
    // The same for a name already in CP932 (as fare files store it): encoded never again.
    void SetChimeiBytes(std::string_view cp932Name);
    void Refresh() { update(); }
    void DrawDot54(int x, int y, const QString& text);
    void DrawTsugiwa();

    // Advances a running scroll by `elapsedMs` iterations (tests call it directly).
    void tick(int64_t elapsedMs);
    // The same in the LED look: advances by display frames (60 a second).
    void tickFrames(int64_t frames);
    // Whether the scroll timer runs by itself; tests turn it off and call tick().
    void setAutoScroll(bool on);

    // Whole-pixel zoom (1-8) and the LED look: how the line is drawn, not what it holds.
    int zoom() const { return zoom_; }
    void setZoom(int n);
    const LedLook& look() const { return look_; }
    void setLook(const LedLook& look);
    // The LEDs as last drawn (the LED look only).
    const LedMatrix& leds() const { return view_.leds(); }

    const QString& name() const { return line_->name(); }
    int stripLeft() const { return line_->stripLeft(); }
    int stripWidth() const { return line_->strip().width(); }
    bool scrolling() const { return line_->scrolling(); }
    const QImage& strip() const { return line_->strip(); }

    std::map<QString, QString> saveProperties() const { return line_->saveProperties(); }
    void restoreProperties(const std::map<QString, QString>& bag);

    QSize sizeHint() const override { return {limits::kChimeiViewport, StopLine::kHeight}; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    StopLineSettings& s() const { return line_->settings; }
    void onTimer();
    void scrollStarted();

    std::unique_ptr<StopLine> own_;
    StopLine* line_;
    SimTimer timer_;
    bool autoScroll_ = true;
    int zoom_ = 1;
    LedLook look_;
    StopLineView view_;
};
