#include "DesktopWallpaper.h"

#include <QUrl>

#include <algorithm>

namespace {
const TServiceStyles<QString> StyleWords = {QStringLiteral("tiled"), QStringLiteral("centered"),
                                            QStringLiteral("stretched")};
}

QString StyleWord(int style) {
    return StyleToService(style, StyleWords);
}

bool StyleFromWord(const QString& word, int& style) {
    if (std::find(StyleWords.begin(), StyleWords.end(), word) == StyleWords.end())
        return false;
    style = StyleFromService(word, StyleWords);
    return true;
}

QString FileNameFromSetting(const QString& value) {
    const QUrl url(value);
    return url.isLocalFile() ? url.toLocalFile() : value;
}
