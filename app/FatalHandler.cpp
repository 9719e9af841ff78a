#include "FatalHandler.h"

#include "StallWatch.h"

#include "AppError.h"
#include "Companion.h"

#include <cstdio>
#include <cstdlib>
#include <new>

void fatalFailure(int number, const QString& description) {
    Companion::current().messageBox(
        nullptr,
        {appTitle(), QStringLiteral("実行時エラー '%1':\n\n%2").arg(number).arg(description),
         MsgIcon::Error, MsgButtons::Ok});
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(1);
}

bool MinamoApplication::notify(QObject* receiver, QEvent* event) {
    const StallWatch::Dispatch handling(receiver, event);
    try {
        return QApplication::notify(receiver, event);
    } catch (const AppError& e) {
        fatalFailure(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        fatalFailure(7, AppError::describe(7));
    } catch (const std::out_of_range&) {
        fatalFailure(9, AppError::describe(9));
    } catch (const std::exception& e) {
        fatalFailure(51,
                     QStringLiteral("内部エラーです。(%1)").arg(QString::fromLocal8Bit(e.what())));
    }
}
