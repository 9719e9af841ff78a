#pragma once
// The desktop's own style with a focus mark an operator sees at a glance: the control
// that has the keyboard's focus (a button, a switch, the interval box, a scroll bar) gets
// a clear two-pixel ring in the highlight colour, where the plain style draws a faint
// dotted line or nothing.
#include <QProxyStyle>

class FocusStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
};
