#include "Dlg100.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

Dlg100::Dlg100(QWidget* owner, int16_t keta, const DigitDialogValues& initial) : QDialog(owner) {
    setWindowTitle(QStringLiteral("デジタル数字の設定"));
    setObjectName(QStringLiteral("dlg100"));
    const int k = std::clamp<int>(keta, 1, 15);

    zeroMode_ = new QComboBox(this);
    zeroMode_->addItems({QStringLiteral("0 と空欄は表示しない"),
                         QStringLiteral("0 と空欄は「0」を表示する"),
                         QStringLiteral("0 は表示せず、-1 を「0」と表示する"),
                         QStringLiteral("0・-1・空欄はすべて「0」を表示する")});
    zeroMode_->setCurrentIndex(std::clamp<int>(initial.zeroMode, 0, 3));

    shift_ = new QSpinBox(this);
    shift_->setRange(0, k - 1);
    shift_->setValue(std::clamp<int>(initial.shift, 0, k - 1));
    shift_->setSuffix(QStringLiteral(" 桁"));

    fillZero_ = new QSpinBox(this);
    fillZero_->setRange(0, k);
    fillZero_->setValue(std::clamp<int>(initial.fillZero, 0, k));
    fillZero_->setSpecialValueText(QStringLiteral("しない"));
    fillZero_->setSuffix(QStringLiteral(" 桁"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ゼロの表示："), zeroMode_);
    form->addRow(QStringLiteral("左へずらす桁数："), shift_);
    form->addRow(QStringLiteral("ゼロ埋めの桁数："), fillZero_);

    auto* note = new QLabel(QStringLiteral("この設定は32個の運賃表示すべてに適用されます。"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(note);
    box->addWidget(buttons);
}

DigitDialogValues Dlg100::values() const {
    return {static_cast<int16_t>(zeroMode_->currentIndex()), static_cast<int16_t>(shift_->value()),
            static_cast<int16_t>(fillZero_->value())};
}
