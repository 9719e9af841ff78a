#include "Companion.h"

#include "QtCompanion.h"

namespace {
std::unique_ptr<Companion>& slot() {
    static std::unique_ptr<Companion> c;
    return c;
}
} // namespace

Companion& Companion::current() {
    if (!slot())
        slot() = std::make_unique<QtCompanion>();
    return *slot();
}

std::unique_ptr<Companion> Companion::install(std::unique_ptr<Companion> c) {
    std::swap(slot(), c);
    return c;
}

QString appTitle() {
    return QStringLiteral("ミナモVer4");
}
