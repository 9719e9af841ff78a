#pragma once
// The "--name value" pairs at the front of a command's words, as `snapshot board --zoom 2
// --background lit FILE` has them: read once, the same way by the command and by the
// guard that decides what a network client may send.
#include <QString>
#include <QStringList>
#include <map>
#include <optional>

struct LeadingFlags {
    std::map<QString, QString> values; // by name, without the dashes
    int next = 0;                      // the first word after them
    QString error;                     // an unknown flag or one without its value
};

// Reads pairs from `words[from]` on while a word starts with "--"; only `known` names.
inline LeadingFlags readLeadingFlags(const QStringList& words, int from, const QStringList& known) {
    LeadingFlags f;
    int i = from;
    while (i < words.size() && words[i].startsWith(QLatin1String("--"))) {
        const QString name = words[i].mid(2);
        if (!known.contains(name)) {
            f.error = QStringLiteral("unknown option %1").arg(words[i]);
            break;
        }
        if (i + 1 >= words.size()) {
            f.error = QStringLiteral("%1 needs a value").arg(words[i]);
            break;
        }
        f.values[name] = words[i + 1];
        i += 2;
    }
    f.next = i;
    return f;
}
