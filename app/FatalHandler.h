#pragma once
// The one place an uncaught failure ends up: it tells the operator the error number and
// description, then ends the program at once without writing the settings file.
#include <QApplication>

[[noreturn]] void fatalFailure(int number, const QString& description);

class MinamoApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
