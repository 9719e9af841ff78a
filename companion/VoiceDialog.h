#pragma once
// "音声の調節": speed, pitch and volume of the announcement voice, the voice itself, and a
// 試聴 button that speaks a sample line with the values shown.
#include "Companion.h"

#include <QDialog>

class QComboBox;
class QSlider;

class VoiceDialog : public QDialog {
    Q_OBJECT
  public:
    VoiceDialog(QWidget* owner, const QString& title, const VoiceDialogValues& values);
    VoiceDialogValues values() const;

  private:
    VoiceDialogValues v_;
    QSlider* speed_ = nullptr;
    QSlider* pitch_ = nullptr;
    QSlider* volume_ = nullptr;
    QComboBox* voice_ = nullptr;
};
