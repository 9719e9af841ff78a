// in4: reads, edits and creates settings files (*.in4) without starting the simulator.
#include "In4Format.h"
#include "mdlIniIoEx.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

namespace {

constexpr const char* kHelp =
    "in4 - settings files (*.in4) of the fare board simulator\n"
    "\n"
    "usage:\n"
    "  in4 dump FILE                 every field as 'Field = value', in file order\n"
    "  in4 set FILE Field=value ...  change fields in place (the file is replaced whole)\n"
    "  in4 new FILE                  write a file with the defaults\n"
    "\n"
    "Paths and other text are shown and taken as UTF-8 and stored as Shift-JIS.\n"
    "exit status: 0 fine, 1 the file could not be read or written, 2 bad usage or value\n";

int usage(const char* why) {
    std::fprintf(stderr, "in4: %s\n\n%s", why, kHelp);
    return 2;
}

bool save(const QString& path, const SettingsRecord& r) {
    const in4::WriteResult w = in4::write(r);
    if (!w.bytes) {
        std::fprintf(stderr, "in4: %s\n", qPrintable(w.error));
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(w.bytes->data(), static_cast<qint64>(w.bytes->size())) !=
            static_cast<qint64>(w.bytes->size()) ||
        !f.commit()) {
        std::fprintf(stderr, "in4: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(f.errorString()));
        return false;
    }
    return true;
}

std::optional<in4::ReadResult> load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "in4: cannot read %s: %s\n", qPrintable(path),
                     qPrintable(f.errorString()));
        return std::nullopt;
    }
    const QByteArray b = f.readAll();
    in4::ReadResult r = in4::read(std::string_view(b.constData(), static_cast<size_t>(b.size())));
    if (!r.complete)
        std::fprintf(stderr, "in4: %s is shorter than a settings file; missing fields read as 0\n",
                     qPrintable(path));
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args[0] == QLatin1String("--version")) {
        std::printf("in4 (minamo) %s\n", MINAMO_VERSION);
        return 0;
    }
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        std::fputs(kHelp, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.size() < 2)
        return usage("a command and a file are needed");
    const QString& cmd = args[0];
    const QString& path = args[1];
    if (cmd == QLatin1String("dump")) {
        const auto r = load(path);
        if (!r)
            return 1;
        std::fputs(in4::dump(r->record, r->digitCount).toUtf8().constData(), stdout);
        return 0;
    }
    if (cmd == QLatin1String("new"))
        return save(path, SettingsRecord{}) ? 0 : 1;
    if (cmd == QLatin1String("set")) {
        if (args.size() < 3)
            return usage("set needs at least one Field=value");
        const auto r = load(path);
        if (!r)
            return 1;
        SettingsRecord rec = r->record;
        for (const QString& a : args.mid(2)) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            if (eq <= 0)
                return usage("each change is Field=value");
            if (const auto err = in4::setField(rec, a.left(eq).trimmed(), a.mid(eq + 1))) {
                std::fprintf(stderr, "in4: %s\n", qPrintable(*err));
                return 2;
            }
        }
        return save(path, rec) ? 0 : 1;
    }
    return usage("unknown command");
}
