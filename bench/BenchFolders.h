#pragma once
// The folders the thumbnail benchmarks read: many small picture files, and a set of large JPEG
// photos made once and kept in a cache folder, since making them takes a while.

#include <QSize>
#include <QString>

// Fills the empty folder with count tiny picture files of mixed names, letter case and
// extensions, as a camera folder renamed by hand looks. Stops the process on a write error.
void MakeSmallPictures(const QString& folder, int count);

// The large photos every benchmark uses, so that they share one cached folder.
constexpr int LargeFiles = 300;
constexpr QSize PhotoSize(6000, 4000);

// The folder under cacheRoot holding count photo-like JPEGs of the given size, each of
// different content. Made when missing or incomplete (on every core, printing how long it took),
// reused otherwise. Stops the process on a write error.
QString LargeJpegFolder(const QString& cacheRoot, int count, QSize size);
