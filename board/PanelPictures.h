#pragma once
// Panel pictures per backlight state: which picture a state shows, loading a user's
// picture file, and the operator's message when that fails.
#include <QImage>
#include <QString>
#include <optional>

struct Options;

// True when `path` names an existing file that is neither hidden nor a folder; an
// empty name is no file.
bool FileExists(const QString& path);

// The reason appended after the error number in the picture error message; empty for
// numbers without one. Each begins with a full-width space.
QString panelErrorReason(int number);
// The whole message text for a picture that failed with error `number`.
QString panelErrorText(int number);

struct PanelLoad {
    QImage image;    // the picture, when it loaded
    int errorNo = 0; // classic error number when it did not
};
PanelLoad loadPanelPicture(const QString& path);

// The user picture file a backlight state shows, or nothing when the state shows its
// built-in picture.
std::optional<QString> userPanelFile(const Options& o, int state);
