#include "VoiceDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
// A slider in tenths (or whole units) with its value shown beside it.
QSlider* slider(QFormLayout* form, const QString& caption, int lo, int hi, int value,
                std::function<QString(int)> shown) {
    auto* row = new QHBoxLayout;
    auto* s = new QSlider(Qt::Horizontal);
    s->setRange(lo, hi);
    s->setValue(value);
    s->setMinimumWidth(200);
    auto* label = new QLabel(shown(value));
    label->setMinimumWidth(56);
    QObject::connect(s, &QSlider::valueChanged, label,
                     [label, shown](int v) { label->setText(shown(v)); });
    row->addWidget(s);
    row->addWidget(label);
    form->addRow(caption, row);
    return s;
}
} // namespace

VoiceDialog::VoiceDialog(QWidget* owner, const QString& title, const VoiceDialogValues& values)
    : QDialog(owner), v_(values) {
    setWindowTitle(title);
    setModal(true);
    auto* form = new QFormLayout;
    speed_ = slider(form, QStringLiteral("話す速さ："), 5, 20, qRound(v_.speed * 10),
                    [](int v) { return QStringLiteral("%1 倍").arg(v / 10.0, 0, 'f', 1); });
    pitch_ = slider(form, QStringLiteral("声の高さ："), -12, 12, qRound(v_.pitch), [](int v) {
        return QStringLiteral("%1%2 半音").arg(v > 0 ? QStringLiteral("+") : QString()).arg(v);
    });
    volume_ = slider(form, QStringLiteral("音量："), -20, 10, qRound(v_.volume), [](int v) {
        return QStringLiteral("%1%2 dB").arg(v > 0 ? QStringLiteral("+") : QString()).arg(v);
    });
    auto* voiceRow = new QHBoxLayout;
    voice_ = new QComboBox;
    for (const QString& f : v_.voices)
        voice_->addItem(QFileInfo(f).completeBaseName(), f);
    if (voice_->findData(v_.voiceFile) < 0 && !v_.voiceFile.isEmpty())
        voice_->addItem(QFileInfo(v_.voiceFile).completeBaseName(), v_.voiceFile);
    voice_->setCurrentIndex(voice_->findData(v_.voiceFile));
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("声のファイル（*.htsvoice）を選びます"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("声の選択"), {},
                                                       QStringLiteral("声のファイル (*.htsvoice)"));
        if (f.isEmpty())
            return;
        if (voice_->findData(f) < 0)
            voice_->addItem(QFileInfo(f).completeBaseName(), f);
        voice_->setCurrentIndex(voice_->findData(f));
    });
    voiceRow->addWidget(voice_, 1);
    voiceRow->addWidget(browse);
    form->addRow(QStringLiteral("声："), voiceRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* trial = buttons->addButton(QStringLiteral("試聴"), QDialogButtonBox::ActionRole);
    connect(trial, &QPushButton::clicked, this, [this] {
        if (v_.trial)
            v_.trial(this->values());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

VoiceDialogValues VoiceDialog::values() const {
    VoiceDialogValues out = v_;
    out.speed = speed_->value() / 10.0;
    out.pitch = pitch_->value();
    out.volume = volume_->value();
    out.voiceFile = voice_->currentData().toString();
    return out;
}
