#pragma once
// Text comparison in the user's locale.

#include <QString>
#include <QStringList>

// Case-insensitive comparison in the user's locale: <0, 0 or >0.
int AnsiCompareText(const QString& a, const QString& b);
// Case-sensitive comparison in the user's locale.
int AnsiCompareStr(const QString& a, const QString& b);
// True when the texts are equal ignoring letter case.
bool AnsiSameText(const QString& a, const QString& b);
// Upper- and lower-casing in the user's locale.
QString AnsiUpperCase(const QString& text);
QString AnsiLowerCase(const QString& text);
// Sorts the texts in the user's locale ignoring letter case; texts that differ only in case
// are ordered by their character codes, so "a.jpg" and "A.JPG" both stay, in a fixed order.
void SortIgnoringCase(QStringList& texts);
