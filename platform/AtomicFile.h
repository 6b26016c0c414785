#pragma once
// Whole files: read without ever blocking on something that is not a file, and replaced all at
// once, so that readers see the old file or the new one, never a part. Also pieces of a large
// file, read where they lie.

#include <QByteArray>
#include <QString>

// Reads the whole file into data. Returns false, leaving data alone, when nothing is at that path
// (or a symbolic link there points at nothing). Raises EFOpenError ("Cannot open file "name".
// reason") when something is there but cannot be opened or is not a regular file (a folder, a
// FIFO, a device), and EReadError ("Cannot read file "name". reason") when reading fails. With
// maxBytes >= 0, a file larger than that raises EReadError ("... File too large") before
// anything is read or reserved.
bool ReadWholeFile(const QString& fileName, QByteArray& data, qint64 maxBytes = -1);
// The same for a file that must be there: nothing at that path raises EFOpenError too ("Cannot
// open file "name". No such file or directory").
QByteArray ReadExistingFile(const QString& fileName, qint64 maxBytes = -1);
// An open read-only descriptor of the regular file at that path, for the caller to close, or -1
// when nothing is there. Never waits on a FIFO or device: raises EFOpenError as ReadWholeFile
// does when something is there but cannot be opened or is not a regular file.
int OpenFileForReading(const QString& fileName);

// An existing regular file open for reading pieces at given offsets. Opening raises EFOpenError
// as ReadExistingFile does.
class TFilePieces {
public:
    explicit TFilePieces(const QString& fileName);
    ~TFilePieces();
    TFilePieces(const TFilePieces&) = delete;
    TFilePieces& operator=(const TFilePieces&) = delete;

    // The file's size when it was opened.
    quint64 Size() const { return quint64(FSize); }
    // The size bytes at offset, fewer where the file ends (none from its end on). Raises
    // EReadError ("Cannot read file "name". reason") when reading fails.
    QByteArray ReadAt(quint64 offset, quint64 size) const;

private:
    QString FFileName;
    qint64 FSize = 0;
    int FFd = -1;
};

// The file that writing to fileName changes: symbolic links are followed to the name they end
// at, which need not exist yet. Gives fileName itself when it is no link.
QString FinalTarget(const QString& fileName);

// Writes the data to a temporary file beside FinalTarget(fileName), flushes it to disk and renames
// it over that target, so a symbolic link stays a link. An existing file keeps its mode; a new one
// gets 0666 less the umask. On failure the old file is left as it was, the temporary file is
// removed, false is returned and reason holds the system's explanation.
bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString& reason);

// Removes from folder the temporary files of saves that were killed before they finished: regular
// files named like this unit's temporaries (".velloria-", 8 letters or digits, ".tmp") that no
// save holds. A save holds an exclusive lock on its temporary until the rename, and the system
// drops that lock when the writer dies, so a temporary whose lock can be taken has no writer.
// Anything that cannot be examined or removed is left alone.
void RemoveStaleTemporaries(const QString& folder);
