#include "FileFormats.h"

#include "Bitmap.h"
#include "Icon.h"
#include "LocaleText.h"
#include "Metafile.h"

#include <mutex>

namespace {

bool IsOrDerives(TGraphicClass candidate, TGraphicClass base) {
    return candidate && base && candidate->inherits(base);
}

} // namespace

TFileFormatsList::TFileFormatsList() {
    Add(QStringLiteral("wmf"), QStringLiteral("Metafiles"), &TMetafile::staticMetaObject);
    Add(QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"), &TMetafile::staticMetaObject);
    Add(QStringLiteral("ico"), QStringLiteral("Icons"), &TIcon::staticMetaObject);
    Add(QStringLiteral("bmp"), QStringLiteral("Bitmaps"), &TBitmap::staticMetaObject);
}

void TFileFormatsList::Add(const QString& extension, const QString& description,
                           TGraphicClass graphicClass) {
    const std::unique_lock lock(FLock);
    FRows.append(TFileFormat{AnsiLowerCase(extension), description, graphicClass});
}

void TFileFormatsList::Remove(TGraphicClass graphicClass) {
    const std::unique_lock lock(FLock);
    FRows.removeIf(
        [&](const TFileFormat& row) { return IsOrDerives(row.GraphicClass, graphicClass); });
}

TGraphicClass TFileFormatsList::FindExt(const QString& extension) const {
    const QString wanted = AnsiLowerCase(extension);
    const std::shared_lock lock(FLock);
    for (qsizetype i = FRows.size() - 1; i >= 0; --i)
        if (FRows[i].Extension == wanted)
            return FRows[i].GraphicClass;
    return nullptr;
}

QString TFileFormatsList::MaskList(TGraphicClass graphicClass) const {
    QString descriptions, patterns;
    BuildFilterStrings(graphicClass, descriptions, patterns);
    return patterns;
}

QString TFileFormatsList::Filter(TGraphicClass graphicClass) const {
    QString descriptions, patterns;
    BuildFilterStrings(graphicClass, descriptions, patterns);
    return descriptions;
}

void TFileFormatsList::BuildFilterStrings(TGraphicClass graphicClass, QString& descriptions,
                                          QString& patterns) const {
    const std::shared_lock lock(FLock);
    descriptions.clear();
    patterns.clear();
    int count = 0;
    for (qsizetype i = FRows.size() - 1; i >= 0; --i) {
        const TFileFormat& row = FRows[i];
        if (!IsOrDerives(row.GraphicClass, graphicClass) || row.Extension.isEmpty())
            continue;
        if (count > 0) {
            descriptions += QLatin1Char('|');
            patterns += QLatin1Char(';');
        }
        descriptions += QStringLiteral("%1 (*.%2)|*.%2").arg(row.Description, row.Extension);
        patterns += QStringLiteral("*.") + row.Extension;
        ++count;
    }
    if (count > 1)
        descriptions =
            QStringLiteral("%1 (%2)|%2|%3").arg(QStringLiteral("All"), patterns, descriptions);
}

QList<TFileFormat> TFileFormatsList::Rows() const {
    const std::shared_lock lock(FLock);
    return FRows;
}

TFileFormatsList& FileFormats() {
    static TFileFormatsList list;
    return list;
}
