#pragma once
// The running program file and its folder.

#include <QString>

// Full path of the running executable (/proc/self/exe).
QString ProgramFilePath();
// Folder of the running executable, without a trailing "/".
QString ProgramFolder();
// Folder of the program's data (help pages, autostart entry), without a trailing "/": the
// installed <prefix>/share/velloria beside the executable's bin/ when that folder exists, else the
// executable's own folder (a build tree). Never fails; the folder it names may hold nothing.
QString ProgramDataFolder();
// The file name with its extension replaced by the given one (".ini"); a name without an
// extension gets it appended. Only a "." after the last "/" counts.
QString ChangeFileExt(const QString& fileName, const QString& extension);
// The absolute form of a non-empty file name: a relative one is taken from the current folder,
// "." and ".." parts and doubled or trailing "/" are dropped; symbolic links are left as they are.
QString ExpandFileName(const QString& fileName);
// The part of the file name after the last "/".
QString ExtractFileName(const QString& fileName);
// The folder part of the file name, including its trailing "/".
QString ExtractFilePath(const QString& fileName);
// The extension with its dot (".jpg"), or empty; only a "." after the last "/" counts.
QString ExtractFileExt(const QString& fileName);
