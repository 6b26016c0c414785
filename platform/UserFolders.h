#pragma once
// Per-user folders (the XDG base directories) and folder creation.

#include <QString>

// The user's configuration home ($XDG_CONFIG_HOME, else ~/.config), without a trailing "/",
// created when missing. Empty when it cannot be found or created.
QString UserConfigFolder();
// The user's data home ($XDG_DATA_HOME, else ~/.local/share), without a trailing "/", created when
// missing. Empty when it cannot be found or created.
QString UserDataFolder();
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const QString& path);
// The path with exactly one trailing "/".
QString IncludeTrailingPathDelimiter(const QString& path);
// The path without trailing "/" (the root "/" stays as it is).
QString ExcludeTrailingPathDelimiter(const QString& path);
