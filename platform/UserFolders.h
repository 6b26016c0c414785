#pragma once
// Per-user folders (the XDG base directories) and folder creation.

#include <QString>

// The user's configuration home ($XDG_CONFIG_HOME, else $HOME/.config; a relative value counts as
// unset), without a trailing "/", created when missing. Empty when it cannot be created; raises
// Exception "No home folder: ..." naming both variables when neither gives an absolute path.
QString UserConfigFolder();
// The user's data home ($XDG_DATA_HOME, else $HOME/.local/share), by the same rules as
// UserConfigFolder.
QString UserDataFolder();
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const QString& path);
// The path with exactly one trailing "/".
QString IncludeTrailingPathDelimiter(const QString& path);
// The path without trailing "/" (the root "/" stays as it is).
QString ExcludeTrailingPathDelimiter(const QString& path);
