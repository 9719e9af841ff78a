#pragma once
// 路線データの取り込み: pick a feed (a .zip or a folder), see its routes and their stop
// patterns with the numbers they get, tick some, choose the fare data folder and import;
// the feed is read and the files written on a thread of their own, with a progress bar,
// and the report is shown. "この路線を表示" hands the first imported number to the program.
#include "Importer.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class ImportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ImportDialog(QWidget* parent = nullptr);
    ~ImportDialog() override;

    // The folder the files go to (the fare data folder unless the person picks another).
    void setFolder(const QString& folder);
    QString folder() const;
    // Reads a feed on the worker thread; loaded() or failed() follow.
    void openFeed(const QString& path);
    // Shows only the patterns whose route or stops contain `text`.
    void search(const QString& text);
    // Ticks the pattern that gets route number `number`; false when the list has none.
    bool tick(int number);
    // Imports the ticked patterns on the worker thread; imported() follows.
    void startImport();
    void cancel();
    bool busy() const { return busy_; }
    bool hasFeed() const { return feed_ != nullptr; }
    const gtfs::ImportReport& report() const { return report_; }
    QString reportText() const;
    // The number "この路線を表示" shows: the first imported, or 0.
    int firstImported() const;
    // Called with the folder and the route number to show at section 1.
    std::function<void(const QString& folder, int number)> showRoute;

  Q_SIGNALS:
    void loaded();
    void imported();

  private:
    void build();
    void fill();
    void chooseFeed(bool folder);
    void chooseFolder();
    void finishOpen(std::shared_ptr<gtfs::OpenFeed> feed, QString error);
    void finishImport(gtfs::ImportReport report);
    void runOnWorker(std::function<void()> job);

    QLineEdit* feedPath_ = nullptr;
    QLabel* agency_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* show_ = nullptr;
    QPlainTextEdit* reportBox_ = nullptr;
    std::shared_ptr<gtfs::OpenFeed> feed_;
    gtfs::Listing listing_;
    gtfs::ImportReport report_;
    bool busy_ = false;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    std::unique_ptr<class QThread> worker_;
    std::unique_ptr<QObject> context_; // lives on the worker thread
};
