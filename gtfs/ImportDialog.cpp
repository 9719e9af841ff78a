#include "ImportDialog.h"

#include "Companion.h"

#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { Number, Route, Stops, StopCount, Tickets, Trips, Fares, Columns };
constexpr int kIndexRole = Qt::UserRole + 1;
} // namespace

ImportDialog::ImportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("路線データの取り込み"));
    setObjectName(QStringLiteral("frmImport"));
    build();
    resize(860, 600);
}

ImportDialog::~ImportDialog() {
    if (cancelled_)
        *cancelled_ = true;
    if (worker_) {
        worker_->quit();
        worker_->wait();
    }
    context_.reset();
}

void ImportDialog::build() {
    auto* top = new QVBoxLayout(this);
    auto* source = new QHBoxLayout;
    source->addWidget(new QLabel(QStringLiteral("オープンデータ（GTFS-JP）：")));
    feedPath_ = new QLineEdit;
    feedPath_->setPlaceholderText(QStringLiteral("事業者が公開している .zip ファイル、またはそのフォルダー"));
    source->addWidget(feedPath_, 1);
    auto* pickZip = new QPushButton(QStringLiteral("ファイル..."));
    auto* pickDir = new QPushButton(QStringLiteral("フォルダー..."));
    source->addWidget(pickZip);
    source->addWidget(pickDir);
    top->addLayout(source);
    connect(pickZip, &QPushButton::clicked, this, [this] { chooseFeed(false); });
    connect(pickDir, &QPushButton::clicked, this, [this] { chooseFeed(true); });
    connect(feedPath_, &QLineEdit::returnPressed, this, [this] { openFeed(feedPath_->text()); });

    agency_ = new QLabel(QStringLiteral("データを選んでください。"));
    top->addWidget(agency_);
    filter_ = new QLineEdit;
    filter_->setPlaceholderText(QStringLiteral("系統名・停留所名で絞り込み"));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, &ImportDialog::search);
    top->addWidget(filter_);

    list_ = new QTreeWidget;
    list_->setColumnCount(Columns);
    list_->setHeaderLabels({QStringLiteral("番号"), QStringLiteral("系統"),
                            QStringLiteral("始点 → 終点"), QStringLiteral("停留所"),
                            QStringLiteral("整理券"), QStringLiteral("便数"),
                            QStringLiteral("運賃")});
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->header()->setSectionResizeMode(Route, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(Stops, QHeaderView::Stretch);
    top->addWidget(list_, 3);

    auto* target = new QHBoxLayout;
    target->addWidget(new QLabel(QStringLiteral("取り込み先（運賃データのフォルダー）：")));
    folder_ = new QLineEdit;
    target->addWidget(folder_, 1);
    auto* pickFolder = new QPushButton(QStringLiteral("..."));
    connect(pickFolder, &QPushButton::clicked, this, &ImportDialog::chooseFolder);
    target->addWidget(pickFolder);
    top->addLayout(target);

    auto* actions = new QHBoxLayout;
    progress_ = new QProgressBar;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    actions->addWidget(progress_, 1);
    import_ = new QPushButton(QStringLiteral("取り込む"));
    import_->setObjectName(QStringLiteral("cmdImport"));
    import_->setEnabled(false);
    cancel_ = new QPushButton(QStringLiteral("中止"));
    cancel_->setEnabled(false);
    show_ = new QPushButton(QStringLiteral("この路線を表示"));
    show_->setObjectName(QStringLiteral("cmdShowRoute"));
    show_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("閉じる"));
    for (QPushButton* b : {import_, cancel_, show_, close})
        actions->addWidget(b);
    top->addLayout(actions);
    connect(import_, &QPushButton::clicked, this, &ImportDialog::startImport);
    connect(cancel_, &QPushButton::clicked, this, &ImportDialog::cancel);
    connect(show_, &QPushButton::clicked, this, [this] {
        if (showRoute && firstImported() > 0)
            showRoute(folder(), firstImported());
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    reportBox_ = new QPlainTextEdit;
    reportBox_->setReadOnly(true);
    reportBox_->setPlaceholderText(QStringLiteral("取り込みの結果がここに表示されます。"));
    top->addWidget(reportBox_, 2);
}

void ImportDialog::setFolder(const QString& folder) {
    folder_->setText(QDir::toNativeSeparators(folder));
}

QString ImportDialog::folder() const {
    return QDir::fromNativeSeparators(folder_->text().trimmed());
}

void ImportDialog::chooseFeed(bool folder) {
    const QString path =
        folder ? Companion::current().Qv3FolderDlg(this, QStringLiteral("GTFS-JP のフォルダー"), {})
               : Companion::current().Qv3FileDlg(
                     this, {QStringLiteral("GTFS-JP (*.zip)"), QStringLiteral("*.zip")},
                     QStringLiteral("GTFS-JP の .zip ファイル"));
    if (!path.isEmpty())
        openFeed(path);
}

void ImportDialog::chooseFolder() {
    const QString path = Companion::current().Qv3FolderDlg(
        this, QStringLiteral("取り込み先のフォルダー"), QDir(folder()).absolutePath());
    if (!path.isEmpty())
        setFolder(path);
}

void ImportDialog::runOnWorker(std::function<void()> job) {
    // Reading and writing a feed happen on a thread of their own: the windows keep
    // painting and the board keeps scrolling meanwhile.
    if (!worker_) {
        worker_ = std::make_unique<QThread>();
        worker_->setObjectName(QStringLiteral("route import"));
        context_ = std::make_unique<QObject>();
        context_->moveToThread(worker_.get());
        worker_->start();
    }
    QMetaObject::invokeMethod(context_.get(), std::move(job), Qt::QueuedConnection);
}

void ImportDialog::openFeed(const QString& path) {
    if (busy_)
        return;
    busy_ = true;
    feedPath_->setText(QDir::toNativeSeparators(path));
    agency_->setText(QStringLiteral("読み込んでいます…"));
    progress_->setRange(0, 0);
    import_->setEnabled(false);
    QPointer<ImportDialog> self(this);
    runOnWorker([self, path] {
        auto opened = gtfs::OpenFeed::open(path);
        std::shared_ptr<gtfs::OpenFeed> feed;
        QString error;
        if (auto* e = std::get_if<QString>(&opened))
            error = *e;
        else
            feed = std::move(std::get<std::unique_ptr<gtfs::OpenFeed>>(opened));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, feed, error] {
            if (self)
                self->finishOpen(feed, error);
        });
    });
}

void ImportDialog::finishOpen(std::shared_ptr<gtfs::OpenFeed> feed, QString error) {
    busy_ = false;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    feed_ = std::move(feed);
    if (!feed_) {
        agency_->setText(QStringLiteral("読み込めませんでした：%1").arg(error));
        list_->clear();
        Q_EMIT loaded();
        return;
    }
    fill();
    Q_EMIT loaded();
}

void ImportDialog::fill() {
    listing_ = feed_->list(folder());
    agency_->setText(QStringLiteral("%1　%2 系統・%3 経路（番号は取り込み先で付く路線番号）")
                         .arg(listing_.agency)
                         .arg(feed_->feed().routes.size())
                         .arg(listing_.patterns.size()));
    list_->clear();
    for (size_t i = 0; i < listing_.patterns.size(); ++i) {
        const gtfs::PatternInfo& p = listing_.patterns[i];
        auto* item = new QTreeWidgetItem(list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Number, Qt::Unchecked);
        item->setData(Number, kIndexRole, static_cast<int>(i));
        item->setText(Number, QString::number(p.number));
        item->setText(Route, p.route + (p.pattern.main ? QString() : QStringLiteral("（他の経路）")));
        item->setText(Stops, p.first + QStringLiteral(" → ") + p.last);
        item->setText(StopCount, QString::number(p.stops));
        item->setText(Tickets, QString::number(p.tickets));
        item->setText(Trips, QString::number(p.pattern.trips));
        item->setText(Fares, p.coverage == 100 ? QStringLiteral("あり")
                             : p.coverage == 0 ? QStringLiteral("なし")
                                               : QStringLiteral("%1 %").arg(p.coverage));
        if (p.tooLong())
            item->setDisabled(true);
    }
    list_->resizeColumnToContents(Number);
    search(filter_->text());
    import_->setEnabled(true);
}

void ImportDialog::search(const QString& text) {
    const QString t = text.trimmed();
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const auto& p = listing_.patterns[static_cast<size_t>(item->data(Number, kIndexRole).toInt())];
        bool match = t.isEmpty() || p.route.contains(t) || p.headsign.contains(t);
        for (size_t k = 0; !match && k < p.pattern.stops.size(); ++k)
            match = feed_->feed().passengerName(p.pattern.stops[k]).contains(t);
        item->setHidden(!match);
    }
}

bool ImportDialog::tick(int number) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->text(Number) == QString::number(number)) {
            list_->topLevelItem(i)->setCheckState(Number, Qt::Checked);
            return true;
        }
    return false;
}

void ImportDialog::startImport() {
    if (busy_ || !feed_)
        return;
    gtfs::ImportRequest r;
    r.folder = folder();
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->checkState(Number) == Qt::Checked)
            r.chosen.push_back(list_->topLevelItem(i)->data(Number, kIndexRole).toInt());
    if (r.chosen.empty()) {
        reportBox_->setPlainText(QStringLiteral("取り込む経路にチェックを付けてください。"));
        return;
    }
    busy_ = true;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    import_->setEnabled(false);
    cancel_->setEnabled(true);
    show_->setEnabled(false);
    progress_->setRange(0, static_cast<int>(r.chosen.size()));
    progress_->setValue(0);
    QPointer<ImportDialog> self(this);
    r.cancelled = [flag = cancelled_] { return flag->load(); };
    r.progress = [self](int done, int) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, done] {
            if (self)
                self->progress_->setValue(done);
        });
    };
    std::shared_ptr<gtfs::OpenFeed> feed = feed_;
    runOnWorker([self, feed, r] {
        gtfs::ImportReport report = gtfs::importPatterns(*feed, r);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, report] {
            if (self)
                self->finishImport(report);
        });
    });
}

void ImportDialog::cancel() {
    if (cancelled_)
        *cancelled_ = true;
}

void ImportDialog::finishImport(gtfs::ImportReport report) {
    busy_ = false;
    report_ = std::move(report);
    cancel_->setEnabled(false);
    import_->setEnabled(true);
    progress_->setValue(progress_->maximum());
    reportBox_->setPlainText(reportText());
    show_->setEnabled(report_.ok() && firstImported() > 0);
    // The numbers now stand in the folder's table.
    if (report_.ok())
        listing_ = feed_->list(folder());
    Q_EMIT imported();
}

QString ImportDialog::reportText() const {
    if (report_.error == QLatin1String("cancelled"))
        return QStringLiteral("取り込みを中止しました。フォルダーは元のままです。");
    return (report_.ok() ? QStringLiteral("%1 に取り込みました。\n").arg(report_.folder)
                         : QStringLiteral("取り込めませんでした（フォルダーは元のままです）：%1\n")
                               .arg(report_.error)) +
           report_.textJa();
}

int ImportDialog::firstImported() const {
    for (const gtfs::PatternReport& p : report_.patterns)
        if (!p.refused)
            return p.number;
    return 0;
}
