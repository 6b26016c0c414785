#pragma once
// Replacing a file's content all at once: readers see the old file or the new one, never a part.

#include <QByteArray>
#include <QString>

// Writes the data to a temporary file beside fileName, flushes it to disk and renames it over
// fileName. On failure the old file is left as it was, the temporary file is removed, false is
// returned and reason holds the system's explanation.
bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString& reason);
