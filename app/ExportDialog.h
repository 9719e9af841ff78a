#pragma once
// 書き出し: a script's trip exported as a video by a second run of this program on virtual
// time, with the options of --export; its progress shown as it goes, and a cancel that
// leaves no file (the run removes what it wrote).
#include <QDialog>
#include <QProcess>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QSpinBox;

class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    // `program` is this program's file; `settings` the settings file the run starts from.
    ExportDialog(QString program, QString settings, QWidget* parent = nullptr);
    ~ExportDialog() override;

    // The command line the export runs with, from the dialog's choices.
    QStringList arguments() const;
    void setScript(const QString& path);
    void setTarget(const QString& path);

  private:
    void start();
    void progressed();
    void ended(int code);

    QString program_;
    QString settings_;
    QLineEdit* script_ = nullptr;
    QLineEdit* target_ = nullptr;
    QSpinBox* zoom_ = nullptr;
    QComboBox* fps_ = nullptr;
    QComboBox* background_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<QProcess> run_;
    QProgressDialog* progress_ = nullptr;
    QByteArray errors_;
    bool cancelled_ = false;
};
