#include "OtherSetters.h"

#include "DesktopWallpaper.h"
#include "UserFolders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {
// The words of one shell command line, with '...', "..." and backslash quoting undone.
QStringList ShellWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quote == QLatin1Char('\'')) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
        } else if (c == QLatin1Char('\\') && i + 1 < line.size() &&
                   (quote.isNull() || QStringLiteral("\"\\$`").contains(line[i + 1]))) {
            word += line[++i];
        } else if (quote == QLatin1Char('"')) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('#') && !inWord) {
            break;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

TLxWallpaperStyle FehStyle(const QString& option) {
    if (option == QLatin1String("--bg-tile"))
        return wsTiled;
    if (option == QLatin1String("--bg-scale"))
        return wsStretched;
    if (option == QLatin1String("--bg-fill"))
        return wsZoomed;
    if (option == QLatin1String("--bg-max"))
        return wsScaled;
    return wsCentered;
}

// nitrogen's saved modes: 0 scaled (stretched), 1 tiled, 2 centred, 3 zoom (fit), 4 auto,
// 5 zoom fill.
TLxWallpaperStyle NitrogenStyle(int mode) {
    static constexpr TServiceStyles<int> Modes = {1, 2, 0, 5, 3};
    return StyleFromService(mode, Modes);
}

QByteArray ReadRecord(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

bool ParseFehbg(const QByteArray& script, QString& fileName, TLxWallpaperStyle& style) {
    for (const QString& line : QString::fromLocal8Bit(script).split(QLatin1Char('\n'))) {
        const QStringList words = ShellWords(line);
        if (words.isEmpty() || QFileInfo(words[0]).fileName() != QLatin1String("feh"))
            continue;
        QString mode;
        for (const QString& word : words.mid(1)) {
            if (word.startsWith(QLatin1String("--bg-")))
                mode = word;
            else if (!mode.isEmpty() && !word.startsWith(QLatin1Char('-'))) {
                fileName = word;
                style = FehStyle(mode);
                return true;
            }
        }
    }
    return false;
}

bool ParseNitrogenSaved(const QByteArray& config, QString& fileName, TLxWallpaperStyle& style) {
    QString file;
    int mode = -1;
    bool inSection = false;
    const QStringList lines = QString::fromUtf8(config).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i <= lines.size(); ++i) {
        const QString line = i < lines.size() ? lines[i].trimmed() : QStringLiteral("[");
        if (line.startsWith(QLatin1Char('['))) {
            if (inSection && !file.isEmpty()) {
                fileName = file;
                style = NitrogenStyle(mode);
                return true;
            }
            inSection = true;
            file.clear();
            mode = -1;
        } else if (line.startsWith(QLatin1String("file="))) {
            file = line.mid(5);
        } else if (line.startsWith(QLatin1String("mode="))) {
            mode = line.mid(5).toInt();
        }
    }
    return false;
}

bool ReadOtherSetterChoice(QString& fileName, TLxWallpaperStyle& style) {
    const QString feh = QDir::homePath() + QStringLiteral("/.fehbg");
    const QString nitrogen = UserConfigFolder() + QStringLiteral("/nitrogen/bg-saved.cfg");
    // The setter that wrote its record last is the one whose picture is shown.
    const bool fehFirst = QFileInfo(feh).lastModified() >= QFileInfo(nitrogen).lastModified();
    for (const QString& record :
         fehFirst ? QStringList{feh, nitrogen} : QStringList{nitrogen, feh}) {
        const QByteArray text = ReadRecord(record);
        const bool found = record == feh ? ParseFehbg(text, fileName, style)
                                         : ParseNitrogenSaved(text, fileName, style);
        if (found)
            return true;
    }
    return false;
}
