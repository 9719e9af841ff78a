#pragma once
// Saving and loading the settings file: each window fills and restores its own blocks
// through SettingsOwners, in the fixed owner order. The file is replaced atomically, so
// a failed or interrupted save leaves the previous settings intact. Failures come back as
// an Outcome for the shell's error box; a missing file loads silently.
#include "Outcome.h"
#include "SettingsRecord.h"

#include <QString>

class SettingsOwners {
  public:
    virtual ~SettingsOwners() = default;
    virtual void GetOptionInfo(Options& options) = 0; // blocks 1-6
    virtual void SetOptionInfo(const Options& options) = 0;
    virtual void GetCtrlDataInfo(CtrlDataInfo& info) = 0; // block 7
    virtual void SetCtrlDataInfo(const CtrlDataInfo& info) = 0;
    virtual void GetFormInfo(FormInfo& info) = 0; // block 8
    virtual void SetFormInfo(const FormInfo& info) = 0;
    // Fare digit i (1-32) as the operator set it.
    virtual DegitCell GetDegitCell(int i) = 0;
    // The loaded digit cells and colours straight onto the board's elements (every fare
    // digit cleared), before the options are applied.
    virtual void ApplyElements(const SettingsRecord& record) = 0;
    virtual void SetProp() = 0;
};

namespace mdlIniIoEx {

// <folder>/<base>.in4 next to the program; when that folder cannot be written (an
// installed program), <configHome>/<base>/<base>.in4 instead.
QString settingsPath(const QString& programFolder, const QString& baseName,
                     const QString& configHome);

// `record` is the process-wide settings record: its custom colours are kept there live,
// everything else is filled by the owners at save and read from the file at load.
Outcome SaveSettings(const QString& path, SettingsOwners& owners, SettingsRecord& record);
Outcome LoadSettings(const QString& path, SettingsOwners& owners, SettingsRecord& record);

// "エラー Code:" number CR LF "内容:" description, the text of both operations' error box.
QString errorText(const Outcome& failure);

} // namespace mdlIniIoEx
