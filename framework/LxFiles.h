#pragma once
// Listing the files of one folder by a wildcard mask.

#include <QString>
#include <QStringList>

// Appends the names of the plain files of folder that match mask (wildcards, letter case
// ignored) to list, in the order the folder gives them: the full path when fullPaths is true,
// else the bare name. Hidden files (a name beginning with ".") and folders are left out. Always
// returns true, also when nothing matched or the folder does not exist.
bool FindFiles(const QString& folder, const QString& mask, QStringList& list, bool fullPaths);
