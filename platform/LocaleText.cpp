#include "LocaleText.h"

#include <QLocale>

int AnsiCompareText(const QString& a, const QString& b) {
    return QString::localeAwareCompare(AnsiLowerCase(a), AnsiLowerCase(b));
}

int AnsiCompareStr(const QString& a, const QString& b) {
    return QString::localeAwareCompare(a, b);
}

bool AnsiSameText(const QString& a, const QString& b) {
    return AnsiUpperCase(a) == AnsiUpperCase(b);
}

QString AnsiUpperCase(const QString& text) {
    return QLocale().toUpper(text);
}

QString AnsiLowerCase(const QString& text) {
    return QLocale().toLower(text);
}
