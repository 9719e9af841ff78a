#pragma once
// Until every sound load has come back from the loader thread (tests without the
// program's event loop).
#include "MciInterpreter.h"

#include <QCoreApplication>

inline void waitForLoads(const MciInterpreter& m) {
    while (m.anyLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
