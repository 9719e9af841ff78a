#pragma once
// Whether a path names a plain file the program may open for reading or writing. A FIFO,
// a device or a socket would hold the program in open() or feed it without end, so every
// file a script, a plug-in list or the settings name is checked here first.
#include <QString>
#include <optional>

namespace files {

// Nothing when `path` is a regular file (after following links); otherwise why not, in
// words a message can carry ("no such file", "not a regular file", ...).
std::optional<QString> notRegularFile(const QString& path);

// For a file about to be written: nothing when it does not exist yet or is a regular
// file; otherwise why it must not be written to.
std::optional<QString> notWritableTarget(const QString& path);

} // namespace files
