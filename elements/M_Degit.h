#pragma once
// The segment digit element: a right-aligned number of up to 15 positions drawn as lit
// segments over a dim "8" in every position. Paints from a cached image, enlarged by
// whole pixels at a zoom, with a faint glow round lit segments in the LED look.
#include "DigitPicture.h"
#include "DigitRules.h"
#include "LedLook.h"

#include <QImage>
#include <QWidget>
#include <map>
#include <memory>

class M_Degit : public QWidget {
    Q_OBJECT
  public:
    explicit M_Degit(QWidget* parent = nullptr);
    ~M_Degit() override;

    const DigitState& state() const { return *st_; }
    // Shows and writes `state` (kept by the caller) instead of the element's own.
    void bindState(DigitState* state);

    uint32_t BaseForeColor() const { return st_->BaseForeColor; }
    void setBaseForeColor(uint32_t c);
    uint32_t DegitForeColor() const { return st_->DegitForeColor; }
    void setDegitForeColor(uint32_t c);
    int16_t FillZero() const { return st_->FillZero; }
    void setFillZero(int16_t v);
    int16_t ZeroMode() const { return st_->ZeroMode; }
    void setZeroMode(int16_t v);
    int16_t Shift() const { return st_->Shift; }
    void setShift(int16_t v);
    int16_t Keta() const { return st_->Keta; }
    void setKeta(int16_t v);
    int16_t DegitSize() const { return st_->DegitSize; }
    void setDegitSize(int16_t v);
    int16_t DegitStyle() const { return st_->DegitStyle; }
    void setDegitStyle(int16_t v);
    const DigitValue& Value() const { return st_->Value; }
    void setValue(const DigitValue& v);
    void setValue(double n) { setValue(DigitValue::number(n)); }
    void setValue(const QString& t) { setValue(DigitValue::text(t)); }
    bool UserSet() const { return st_->UserSet; }
    void setUserSet(bool v);
    uint32_t BackColor() const { return st_->BackColor; }
    void setBackColor(uint32_t c);

    // Opens the per-digit settings dialog; takes its three values back whatever the
    // result and returns the result (1 = confirmed).
    int32_t ShowSetDlg();
    // All positions lit (lightAll = -1) or all unlit, keeping Shift, ZeroMode, FillZero.
    void ResetDegit(int16_t lightAll);

    // The text lit now, after ZeroMode, FillZero, Shift and Keta.
    const QString& litNow() const { return lit_; }
    // The cached picture at 1x, and as the element shows it (zoomed, with any glow).
    const QImage& image() const { return image_; }
    const QImage& shownImage() const { return shown_; }

    // Whole-pixel zoom (1-8) and the LED look: how it is drawn, never what it shows.
    int zoom() const { return zoom_; }
    void setZoom(int n);
    const LedLook& look() const { return look_; }
    void setLook(const LedLook& look);

    // Persistence: keys whose values differ from their defaults.
    std::map<QString, QString> saveProperties() const;
    void restoreProperties(const std::map<QString, QString>& bag);

    QSize sizeHint() const override;

  Q_SIGNALS:
    void DblClick();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

  private:
    void resizeToClass();
    void DrawDegit();
    void makeShown();
    QSize baseSize() const;
    DigitPainter& painter() const;

    DigitState own_;
    DigitState* st_ = &own_;
    bool bold_;
    QString lit_;
    QImage image_;
    QImage shown_;
    int zoom_ = 1;
    LedLook look_;
};
