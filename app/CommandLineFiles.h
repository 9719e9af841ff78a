#pragma once
// The files a command line names, checked before any window opens: a file to read must
// be a regular file that opens, a file to write must be one we may create or replace.
// Each problem names the option, the path and the reason, so the user can mend it.
#include <QString>
#include <QStringList>
#include <vector>
#include <optional>

struct CommandLineFile {
    QString option; // "--script"
    QString path;
    bool write = false;   // made by the run (a recording, a WAV)
    bool mayBeMissing = false; // read when there (the settings file of a first start)
};

// The first problem among `files`, as one line for standard error, or nothing.
std::optional<QString> checkCommandLineFiles(const std::vector<CommandLineFile>& files);

// Qt's own remarks that only say the platform cannot do something a desktop can (raise a
// window, shape it) and mean nothing to a user of a headless run.
bool isHeadlessPlatformNoise(const QString& platform, const QString& category,
                             const QString& message);
