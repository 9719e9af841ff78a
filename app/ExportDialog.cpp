#include "ExportDialog.h"

#include "Companion.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>

namespace {
// A line edit with its 参照... button beside it.
QWidget* withBrowse(QLineEdit* edit, QWidget* parent, const std::function<void()>& browse) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(edit, 1);
    auto* b = new QPushButton(QStringLiteral("参照..."), row);
    QObject::connect(b, &QPushButton::clicked, parent, browse);
    h->addWidget(b);
    return row;
}
} // namespace

ExportDialog::ExportDialog(QString program, QString settings, QWidget* parent)
    : QDialog(parent), program_(std::move(program)), settings_(std::move(settings)) {
    setWindowTitle(QStringLiteral("書き出し"));
    auto* form = new QFormLayout(this);
    script_ = new QLineEdit(this);
    script_->setMinimumWidth(360);
    form->addRow(QStringLiteral("スクリプト:"), withBrowse(script_, this, [this] {
                     const QString f = Companion::current().Qv3FileDlg(
                         this, {QStringLiteral("スクリプト(*.script)"), QStringLiteral("*.script")},
                         QStringLiteral("スクリプトを開く"));
                     if (!f.isEmpty())
                         script_->setText(f);
                 }));
    target_ = new QLineEdit(this);
    target_->setMinimumWidth(360);
    target_->setToolTip(QStringLiteral(".mov (ProRes 4444, 透過), .webm (VP9, 透過), .mp4 (H.264), "
                                       "/ で終わるフォルダー (PNG 連番 + audio.wav)"));
    form->addRow(QStringLiteral("書き出し先:"), withBrowse(target_, this, [this] {
                     const QString folder = Companion::current().Qv3FolderDlg(
                         this, QStringLiteral("書き出すフォルダーを選んでください"),
                         QFileInfo(target_->text()).absolutePath());
                     if (!folder.isEmpty())
                         target_->setText(
                             QDir(folder).filePath(QFileInfo(target_->text()).fileName()));
                 }));
    QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (movies.isEmpty())
        movies = QDir::homePath();
    target_->setText(QDir(movies).filePath(
        QStringLiteral("minamo-%1.mov")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))));
    zoom_ = new QSpinBox(this);
    zoom_->setRange(1, 4);
    zoom_->setSuffix(QStringLiteral(" 倍"));
    form->addRow(QStringLiteral("表示倍率:"), zoom_);
    fps_ = new QComboBox(this);
    fps_->addItems({QStringLiteral("30"), QStringLiteral("60")});
    form->addRow(QStringLiteral("フレーム/秒:"), fps_);
    background_ = new QComboBox(this);
    background_->addItem(QStringLiteral("パネル"), QStringLiteral("panel"));
    background_->addItem(QStringLiteral("透明 (角の外)"), QStringLiteral("transparent"));
    background_->addItem(QStringLiteral("点灯部のみ (重ね合わせ用)"), QStringLiteral("lit"));
    form->addRow(QStringLiteral("背景:"), background_);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    form->addRow(status_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("書き出し"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::start);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

ExportDialog::~ExportDialog() {
    if (run_ && run_->state() != QProcess::NotRunning) {
        // Terminated, the run removes what it wrote; it is let go rather than waited for,
        // and goes once it has ended.
        QProcess* run = run_.release();
        run->disconnect(this);
        QObject::connect(run, &QProcess::finished, run, &QObject::deleteLater);
        run->terminate();
    }
}

void ExportDialog::setScript(const QString& path) {
    script_->setText(path);
}

void ExportDialog::setTarget(const QString& path) {
    target_->setText(path);
}

QStringList ExportDialog::arguments() const {
    return {QStringLiteral("--export"),
            target_->text(),
            QStringLiteral("--export-zoom"),
            QString::number(zoom_->value()),
            QStringLiteral("--export-fps"),
            fps_->currentText(),
            QStringLiteral("--export-background"),
            background_->currentData().toString(),
            QStringLiteral("--settings"),
            settings_,
            QStringLiteral("--script"),
            script_->text()};
}

void ExportDialog::start() {
    if (run_ && run_->state() != QProcess::NotRunning)
        return;
    errors_.clear();
    cancelled_ = false;
    // The video folder may not be there yet on a fresh account.
    const QString target = target_->text();
    QDir().mkpath(target.endsWith(QLatin1Char('/')) ? target : QFileInfo(target).absolutePath());
    run_ = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run_->setProcessEnvironment(env);
    connect(run_.get(), &QProcess::readyReadStandardError, this, &ExportDialog::progressed);
    connect(run_.get(), &QProcess::finished, this, [this](int code) { ended(code); });
    progress_ = new QProgressDialog(QStringLiteral("書き出しています..."), QStringLiteral("中止"),
                                    0, 0, this);
    progress_->setWindowTitle(QStringLiteral("書き出し"));
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        cancelled_ = true;
        run_->terminate();
    });
    progress_->show();
    run_->start(program_, arguments());
}

void ExportDialog::progressed() {
    errors_ += run_->readAllStandardError();
    // The run's progress lines: "export: 42.0 s of the trip, 1260 frames, x18.3 real time".
    static const QRegularExpression line(
        QStringLiteral("^export: ([0-9.]+) s of the trip, ([0-9]+) frames, x([0-9.]+) real time"));
    const QList<QByteArray> lines = errors_.split('\n');
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (const auto m = line.match(QString::fromUtf8(*it)); m.hasMatch() && progress_) {
            progress_->setLabelText(
                QStringLiteral("運行 %1 秒まで、%2 フレーム (実時間の %3 倍の速さ)")
                    .arg(m.captured(1), m.captured(2), m.captured(3)));
            break;
        }
}

void ExportDialog::ended(int code) {
    if (progress_) {
        // Closed because the run ended, not cancelled by the operator.
        progress_->disconnect(this);
        progress_->close();
    }
    progress_ = nullptr;
    if (cancelled_) {
        status_->setText(QStringLiteral("書き出しを中止しました。ファイルは残っていません。"));
        return;
    }
    const bool ok = code == 0 && run_->exitStatus() == QProcess::NormalExit;
    QString last;
    for (const QByteArray& l : errors_.split('\n'))
        if (!l.trimmed().isEmpty() && !l.startsWith("{"))
            last = QString::fromUtf8(l);
    status_->setText(ok ? QStringLiteral("書き出しました: %1").arg(target_->text())
                        : QStringLiteral("書き出せませんでした。\n%1").arg(last));
}
