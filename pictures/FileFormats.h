#pragma once
// TFileFormatsList: the one registry of picture file formats, mapping a file extension to the
// graphic class that reads it; the mask list and open-dialog filter come from it. Filled at
// start-up and read from thumbnail workers, so every operation may be called from any thread.

#include "Graphics.h"

#include <QList>
#include <QString>

#include <shared_mutex>

struct TFileFormat {
    QString Extension; // without the dot, lower-cased
    QString Description;
    TGraphicClass GraphicClass = nullptr;
};

class TFileFormatsList {
public:
    // Holds the metafile, enhanced metafile, icon and bitmap rows, in that order.
    TFileFormatsList();

    // Appends a row, the extension lower-cased; duplicates are not checked.
    void Add(const QString& extension, const QString& description, TGraphicClass graphicClass);
    // Removes every row whose class is graphicClass or derives from it.
    void Remove(TGraphicClass graphicClass);
    // The class of the newest row whose extension equals extension lower-cased, or null.
    TGraphicClass FindExt(const QString& extension) const;
    // The patterns ("*.gif;*.bmp") of the rows whose class is graphicClass or derives from it,
    // newest first.
    QString MaskList(TGraphicClass graphicClass) const;
    // The open-dialog filter for the same rows ("All (...)|...|Bitmaps (*.bmp)|*.bmp"), with
    // an "All" entry first when more than one row counts.
    QString Filter(TGraphicClass graphicClass) const;

    // A copy of the rows, oldest first.
    QList<TFileFormat> Rows() const;

private:
    void BuildFilterStrings(TGraphicClass graphicClass, QString& descriptions,
                            QString& patterns) const;
    mutable std::shared_mutex FLock;
    QList<TFileFormat> FRows;
};

// The process's registry, created (with its first four rows) on first use.
TFileFormatsList& FileFormats();
