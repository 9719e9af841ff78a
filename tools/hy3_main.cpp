// hy3: converts fare data files (*.hy3) to CSV and back, and checks them.
#include "BroadcastFile.h"
#include "Cp932.h"
#include "FareCsv.h"
#include "Hy3Format.h"
#include "JTalkVoice.h"
#include "Limits.h"
#include "Readings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include "GtfsVerbs.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kHelp =
    "hy3 - fare data files (*.hy3) to CSV and back\n"
    "\n"
    "usage:\n"
    "  hy3 to-csv IN.hy3 [-o OUT.csv] [--encoding utf-8|sjis]\n"
    "  hy3 from-csv IN.csv -o OUT.hy3 [--encoding utf-8|sjis]\n"
    "  hy3 readings IN.hy3|INtp.csv [--dict yomi.csv]\n"
    "  hy3 check IN.hy3|INtp.csv\n"
    "%s"
    "\n"
    "The CSV has a header line, then one line per stop, in running order:\n"
    "  stop name, ticket number, data columns 1, 2, ... 150\n"
    "Columns 1-32 are the fares shown in fare positions 1-32 (0 = no fare due: dark);\n"
    "trailing columns that are 0 may be left out. A route holds at most 301 stops.\n"
    "CSV is UTF-8 unless --encoding sjis is given (Shift-JIS, as spreadsheets on\n"
    "Japanese Windows save it). Without -o, to-csv writes to standard output.\n"
    "\n"
    "check lists problems (exit 1) and notes (exit 0): stops that scroll on the\n"
    "display, the last stop (never a starting section), names that are not valid\n"
    "Shift-JIS, bytes after the last stop. For a broadcast file (*tp.csv) it lists\n"
    "the lines that keep it from loading (any one turns the announcements off).\n"
    "\n"
    "readings prints every stop name (of a fare file) or announcement (of a broadcast\n"
    "file) with the reading the speech engine will use: the reading dictionary\n"
    "(yomi.csv beside the file, or --dict) applied, then the sounds Open JTalk makes,\n"
    "so misread place names can be found without listening to every line.\n"
    "\n"
    "gtfs list shows the routes of an open-data feed (GTFS-JP, a .zip or a folder) with\n"
    "their stop patterns and the route numbers they get; gtfs import writes the main\n"
    "pattern of each route and direction (or every pattern) into a fare data folder:\n"
    "N.hy3, Ntp.csv, yomi.csv, names.csv and gtfs-routes.csv.\n"
    "\n"
    "exit status: 0 fine, 1 problems found, 2 unusable input or bad usage\n";

QString help() {
    return QString::asprintf(kHelp, kGtfsHelp);
}

int usage(const char* why) {
    std::fprintf(stderr, "hy3: %s\n\n%s", why, help().toUtf8().constData());
    return 2;
}

bool readAll(const QString& path, QByteArray& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    return true;
}

std::string problemText(hy3::Problem p) {
    switch (p) {
    case hy3::Problem::TooShortForCount:
        return "the file is too short to hold a row count";
    case hy3::Problem::TooManyRows:
        return "the file declares more than " + std::to_string(limits::kRouteRows) + " stops";
    case hy3::Problem::Truncated:
        return "the file ends in the middle of a stop";
    case hy3::Problem::None:
        break;
    }
    return "unreadable";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("hy3 (minamo) %s\n", MINAMO_VERSION);
        return 0;
    }
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) ||
        args.contains(QStringLiteral("-h"))) {
        std::fputs(help().toUtf8().constData(), args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.value(0) == QLatin1String("gtfs"))
        return runGtfs(args.mid(1));
    QString out, encoding = QStringLiteral("utf-8"), dict;
    QStringList pos;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o") && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == QLatin1String("--dict") && i + 1 < args.size())
            dict = args[++i];
        else if (args[i] == QLatin1String("--encoding") && i + 1 < args.size())
            encoding = args[++i].toLower();
        else if (args[i].startsWith(QLatin1String("-")) && args[i] != QLatin1String("-"))
            return usage("unknown option");
        else
            pos << args[i];
    }
    if (encoding != QLatin1String("utf-8") && encoding != QLatin1String("sjis"))
        return usage("--encoding takes utf-8 or sjis");
    const bool sjis = encoding == QLatin1String("sjis");
    if (pos.size() != 2)
        return usage("a command and one input file are needed");
    const QString cmd = pos[0], in = pos[1];
    QByteArray data;
    if (!readAll(in, data)) {
        std::fprintf(stderr, "hy3: cannot read %s\n", qPrintable(in));
        return 2;
    }
    const std::string_view bytes(data.constData(), static_cast<size_t>(data.size()));

    if (cmd == QLatin1String("readings")) {
        QStringList texts;
        if (in.endsWith(QStringLiteral(".hy3"), Qt::CaseInsensitive)) {
            const hy3::ParseResult r = hy3::parse(bytes);
            if (!r.file) {
                std::fprintf(stderr, "hy3: %s: %s\n", qPrintable(in),
                             problemText(r.problem).c_str());
                return 2;
            }
            for (const hy3::Row& row : r.file->rows)
                texts << cp932::decode(row.name);
        } else {
            for (const QString& line : broadcast::lines(bytes))
                if (const auto e = broadcast::parseLine(line))
                    texts << e->Text;
        }
        const Readings readings = Readings::fromFile(
            dict.isEmpty() ? QFileInfo(in).absoluteDir().filePath(QStringLiteral("yomi.csv"))
                           : dict);
        const JTalkVoice voice = JTalkVoice::locate();
        if (!voice.complete())
            std::fprintf(stderr,
                         "hy3: Open JTalk or its voice is not installed: sounds not shown\n");
        for (const QString& t : texts) {
            const QString reading = readings.apply(t);
            QString line = t;
            if (reading != t)
                line += QStringLiteral("  →  ") + reading;
            const QString sounds = voice.phonemes(reading);
            if (!sounds.isEmpty())
                line += QStringLiteral("\n    [") + sounds + QLatin1Char(']');
            std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
        }
        return 0;
    }

    if (cmd == QLatin1String("check") &&
        in.endsWith(QStringLiteral("tp.csv"), Qt::CaseInsensitive)) {
        const std::vector<QString> found = broadcast::problems(bytes);
        std::printf("%s: %d lines\n", qPrintable(in),
                    static_cast<int>(broadcast::lines(bytes).size()));
        for (const QString& p : found)
            std::printf("problem: %s\n", p.toUtf8().constData());
        return found.empty() ? 0 : 1;
    }
    if (cmd == QLatin1String("to-csv") || cmd == QLatin1String("check")) {
        const hy3::ParseResult r = hy3::parse(bytes);
        if (!r.file) {
            std::fprintf(stderr, "hy3: %s: %s", qPrintable(in), problemText(r.problem).c_str());
            if (r.failedRow)
                std::fprintf(stderr, " (stop %d)", r.failedRow);
            std::fprintf(stderr, "\n");
            return 2;
        }
        if (cmd == QLatin1String("check")) {
            const farecsv::CheckReport rep = farecsv::check(*r.file);
            std::printf("%s: %d stops\n", qPrintable(in), static_cast<int>(r.file->declaredRows));
            for (const QString& p : rep.problems)
                std::printf("problem: %s\n", qPrintable(p));
            for (const QString& n : rep.notes)
                std::printf("note: %s\n", qPrintable(n));
            return rep.problems.isEmpty() ? 0 : 1;
        }
        const QString csv = farecsv::toCsv(*r.file);
        const QByteArray encoded =
            sjis ? QByteArray::fromStdString(cp932::encode(csv)) : csv.toUtf8();
        if (out.isEmpty()) {
            std::fwrite(encoded.constData(), 1, static_cast<size_t>(encoded.size()), stdout);
            return 0;
        }
        QFile f(out);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(encoded) != encoded.size()) {
            std::fprintf(stderr, "hy3: cannot write %s\n", qPrintable(out));
            return 2;
        }
        return 0;
    }
    if (cmd == QLatin1String("from-csv")) {
        if (out.isEmpty())
            return usage("from-csv needs -o OUT.hy3");
        const QString text = sjis ? cp932::decode(bytes) : QString::fromUtf8(data);
        const farecsv::FromCsvResult r = farecsv::fromCsv(text);
        if (!r.file) {
            std::fprintf(stderr, "hy3: %s: %s\n", qPrintable(in), qPrintable(r.error));
            return 2;
        }
        const std::string written = hy3::write(*r.file);
        QFile f(out);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(written.data(), static_cast<qint64>(written.size())) !=
                static_cast<qint64>(written.size())) {
            std::fprintf(stderr, "hy3: cannot write %s\n", qPrintable(out));
            return 2;
        }
        return 0;
    }
    return usage("unknown command");
}
