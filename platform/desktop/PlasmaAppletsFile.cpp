#include "PlasmaAppletsFile.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QStringList>

const QString PlasmaImagePlugin = QStringLiteral("org.kde.image");
const QString PlasmaTiledPlugin = QStringLiteral("org.kde.tiled");
const TServiceStyles<int> PlasmaFillModes = {3, 6, 0, 2, 1};

namespace {
using TGroups = QHash<QString, QHash<QString, QString>>;

const int DefaultFillMode = 2;

// Undoes KConfig's escapes in a value.
QString Unescape(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar code = value[++i];
        if (code == QLatin1Char('s'))
            text += QLatin1Char(' ');
        else if (code == QLatin1Char('t'))
            text += QLatin1Char('\t');
        else if (code == QLatin1Char('n'))
            text += QLatin1Char('\n');
        else if (code == QLatin1Char('r'))
            text += QLatin1Char('\r');
        else
            text += code;
    }
    return text;
}

// Groups by their full header text ("[Containments][1][Wallpaper]..."); keys lose their
// "[$...]" flags.
TGroups ReadGroups(QFile& file) {
    TGroups groups;
    QString group;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            group = line;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString key = line.left(equals).trimmed();
        key = key.left(key.indexOf(QLatin1String("[$")));
        groups[group][key] = Unescape(line.mid(equals + 1).trimmed());
    }
    return groups;
}

// The containment numbers that have a wallpaper plugin, in numeric order.
QList<int> WallpaperContainments(const TGroups& groups) {
    QMap<int, bool> ids;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const QStringList parts = it.key().mid(1, it.key().size() - 2).split(QStringLiteral("]["));
        bool numeric = false;
        const int id = parts.size() == 2 && parts[0] == QLatin1String("Containments")
                           ? parts[1].toInt(&numeric)
                           : 0;
        if (numeric && !it.value().value(QStringLiteral("wallpaperplugin")).isEmpty())
            ids.insert(id, true);
    }
    return ids.keys();
}

} // namespace

bool ReadPlasmaAppletsFile(const QString& appletsFile, QString& fileName,
                           TLxWallpaperStyle& style) {
    fileName.clear();
    style = wsCentered;
    QFile file(appletsFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const TGroups groups = ReadGroups(file);
    for (int id : WallpaperContainments(groups)) {
        const QString containment = QStringLiteral("[Containments][%1]").arg(id);
        const QString plugin = groups.value(containment).value(QStringLiteral("wallpaperplugin"));
        const auto general =
            groups.value(containment + QStringLiteral("[Wallpaper][%1][General]").arg(plugin));
        const QString image = general.value(QStringLiteral("Image"));
        if (image.isEmpty())
            continue;
        fileName = FileNameFromSetting(image);
        bool numeric = false;
        int fillMode = general.value(QStringLiteral("FillMode")).toInt(&numeric);
        if (!numeric)
            fillMode = DefaultFillMode;
        style = plugin == PlasmaTiledPlugin ? wsTiled : StyleFromService(fillMode, PlasmaFillModes);
        return true;
    }
    return false;
}
