#pragma once
// The animated-cursor reader: the RIFF "ACON" structure with its header, rates, play sequence
// and the icon (or cursor) files of its frames, which TIcon decodes.

#include <QByteArray>
#include <QList>
#include <QString>

struct TAniFile {
    QList<QByteArray> Frames; // each a complete icon or cursor file, in file order
    QList<int> Sequence;      // frame index of each play step
    QList<int> Rates;         // display time of each play step in jiffies (1/60 s)
    qint64 ColorCount = 0;    // colours the header records: 2^bit count, 0 when it records none
    QString Title;
    QString Author;
};

// Reads an animated cursor. Without a "seq " chunk the frames play in file order; without
// rates each step takes the header's display rate. Raises EReadError "Stream read error" for a
// damaged RIFF structure: no "RIFF"/"ACON", a chunk past its parent's end, a missing or short
// "anih", frames that are not icons, or a sequence naming a frame that is not there.
TAniFile ReadAni(const QByteArray& data);
