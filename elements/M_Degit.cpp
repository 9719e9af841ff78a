#include "M_Degit.h"

#include "ApiLib.h"
#include "ColorCodes.h"
#include "Companion.h"
#include "PixelScale.h"

#include <QPainter>

M_Degit::M_Degit(QWidget* parent) : QWidget(parent), bold_(!ApiLib::isLegacyDisplaySystem()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("運賃表示"));
    resizeToClass();
    // A new element shows nothing until its first value is written.
    image_ = QImage(baseSize(), QImage::Format_RGB32);
    image_.fill(colorFromBgr(st_->BackColor));
    shown_ = image_;
}

M_Degit::~M_Degit() = default;

void M_Degit::bindState(DigitState* state) {
    st_ = state ? state : &own_;
    resizeToClass();
    DrawDegit();
}

void M_Degit::setBaseForeColor(uint32_t c) {
    st_->BaseForeColor = c;
    DrawDegit();
}
void M_Degit::setDegitForeColor(uint32_t c) {
    st_->DegitForeColor = c;
    DrawDegit();
}
void M_Degit::setFillZero(int16_t v) {
    st_->setFillZero(v);
}
void M_Degit::setZeroMode(int16_t v) {
    st_->setZeroMode(v);
}
void M_Degit::setShift(int16_t v) {
    st_->setShift(v);
}
void M_Degit::setKeta(int16_t v) {
    st_->setKeta(v);
    resizeToClass();
    DrawDegit();
}
void M_Degit::setDegitSize(int16_t v) {
    st_->setDegitSize(v);
    resizeToClass();
    DrawDegit();
}
void M_Degit::setDegitStyle(int16_t v) {
    st_->DegitStyle = v;
    DrawDegit();
}
void M_Degit::setValue(const DigitValue& v) {
    st_->Value = v;
    DrawDegit();
}
void M_Degit::setUserSet(bool v) {
    st_->UserSet = v;
}
void M_Degit::setBackColor(uint32_t c) {
    st_->BackColor = c;
    DrawDegit();
}

int32_t M_Degit::ShowSetDlg() {
    DigitDialogValues v{st_->ZeroMode, st_->Shift, st_->FillZero};
    const int32_t result = Companion::current().Call_dlg100(this, st_->Keta, v);
    st_->Shift = v.shift;
    st_->FillZero = v.fillZero;
    st_->ZeroMode = v.zeroMode;
    DrawDegit();
    return result;
}

void M_Degit::ResetDegit(int16_t lightAll) {
    const int16_t shift = st_->Shift, zero = st_->ZeroMode, fill = st_->FillZero;
    st_->Shift = st_->ZeroMode = st_->FillZero = 0;
    setValue(lightAll == -1 ? DigitValue::text(QString(st_->Keta, QLatin1Char('8')))
                            : DigitValue::text({}));
    setShift(shift);
    setZeroMode(zero);
    setFillZero(fill);
}

QSize M_Degit::baseSize() const {
    return DigitPainter::baseSize(*st_);
}

void M_Degit::resizeToClass() {
    const QSize s = baseSize() * zoom_;
    if (s != size())
        setFixedSize(s);
}

void M_Degit::setZoom(int n) {
    n = std::clamp(n, 1, kMaxScreenZoom);
    if (n == zoom_)
        return;
    zoom_ = n;
    resizeToClass();
    makeShown();
}

void M_Degit::setLook(const LedLook& look) {
    if (look == look_)
        return;
    look_ = look;
    DrawDegit();
}

DigitPainter& M_Degit::painter() const {
    return DigitPainter::shared(bold_);
}

void M_Degit::DrawDegit() {
    lit_ = litText(st_->Value, *st_);
    image_ = painter().base(*st_, lit_);
    setAccessibleDescription(lit_.trimmed());
    makeShown();
}

void M_Degit::makeShown() {
    shown_ = painter().shown(*st_, lit_, image_, zoom_, look_);
    update();
}

void M_Degit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, shown_);
}

void M_Degit::mouseDoubleClickEvent(QMouseEvent*) {
    Q_EMIT DblClick();
}

QSize M_Degit::sizeHint() const {
    return baseSize() * zoom_;
}

std::map<QString, QString> M_Degit::saveProperties() const {
    const DigitState d;
    std::map<QString, QString> bag;
    auto put = [&](const char* key, auto value, auto def) {
        if (value != def)
            bag[QString::fromLatin1(key)] = QString::number(value);
    };
    put("BaseForeColor", st_->BaseForeColor, d.BaseForeColor);
    put("DegitForeColor", st_->DegitForeColor, d.DegitForeColor);
    put("FillZero", st_->FillZero, d.FillZero);
    put("ZeroMode", st_->ZeroMode, d.ZeroMode);
    put("Shift", st_->Shift, d.Shift);
    put("Keta", st_->Keta, d.Keta);
    put("DegitSize", st_->DegitSize, d.DegitSize);
    put("DegitStyle", st_->DegitStyle, d.DegitStyle);
    if (!(st_->Value == d.Value))
        bag[QStringLiteral("Value")] =
            st_->Value.isNumber() ? st_->Value.toText() : QLatin1Char('"') + st_->Value.asText();
    put("UserSet", static_cast<int>(st_->UserSet), static_cast<int>(d.UserSet));
    put("BackColor", st_->BackColor, d.BackColor);
    return bag;
}

void M_Degit::restoreProperties(const std::map<QString, QString>& bag) {
    const DigitState d;
    auto get = [&](const char* key, long long def) -> long long {
        auto it = bag.find(QString::fromLatin1(key));
        return it == bag.end() ? def : it->second.toLongLong();
    };
    // Stored values come back as they were saved: no write rules, no resizing, no redraw.
    st_->BaseForeColor = static_cast<uint32_t>(get("BaseForeColor", d.BaseForeColor));
    st_->DegitForeColor = static_cast<uint32_t>(get("DegitForeColor", d.DegitForeColor));
    st_->FillZero = static_cast<int16_t>(get("FillZero", d.FillZero));
    st_->ZeroMode = static_cast<int16_t>(get("ZeroMode", d.ZeroMode));
    st_->Shift = static_cast<int16_t>(get("Shift", d.Shift));
    st_->Keta = static_cast<int16_t>(get("Keta", d.Keta));
    st_->DegitSize = static_cast<int16_t>(get("DegitSize", d.DegitSize));
    st_->DegitStyle = static_cast<int16_t>(get("DegitStyle", d.DegitStyle));
    auto v = bag.find(QStringLiteral("Value"));
    if (v == bag.end())
        st_->Value = d.Value;
    else if (v->second.startsWith(QLatin1Char('"')))
        st_->Value = DigitValue::text(v->second.mid(1));
    else
        st_->Value = DigitValue::number(v->second.toDouble());
    st_->UserSet = get("UserSet", 1) != 0;
    st_->BackColor = static_cast<uint32_t>(get("BackColor", d.BackColor));
}
