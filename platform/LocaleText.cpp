#include "LocaleText.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <vector>

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

void SortIgnoringCase(QStringList& texts) {
    // One sort key per text, so a large folder costs one collation per name, not one per
    // comparison. The keys are made from lower-cased texts, as AnsiCompareText compares: the
    // collator of the C locale would otherwise compare letter case too.
    const QCollator collator;
    struct TKeyed {
        QCollatorSortKey Key;
        QString Text;
    };
    std::vector<TKeyed> keyed;
    keyed.reserve(texts.size());
    for (const QString& text : texts)
        keyed.push_back({collator.sortKey(AnsiLowerCase(text)), text});
    std::sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
        const int order = a.Key.compare(b.Key);
        return order != 0 ? order < 0 : a.Text < b.Text;
    });
    for (qsizetype i = 0; i < texts.size(); ++i)
        texts[i] = keyed[size_t(i)].Text;
}
