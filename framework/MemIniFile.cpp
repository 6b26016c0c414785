#include "MemIniFile.h"

#include "AtomicFile.h"
#include "LocaleText.h"

namespace {
bool IsTrimmed(QChar c) {
    return c.unicode() <= 32;
}

QString TrimControls(QStringView text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsTrimmed(text[start]))
        ++start;
    while (end > start && IsTrimmed(text[end - 1]))
        --end;
    return text.mid(start, end - start).toString();
}

QString KeyOf(const QString& name) {
    return AnsiUpperCase(name);
}
} // namespace

TMemIniFile::TMemIniFile(QString fileName) : FFileName(std::move(fileName)) {}

TMemIniFile::TEntry TMemIniFile::MakeEntry(const QString& text) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {text, QString()};
    const QString name = TrimControls(QStringView(text).left(equals));
    return {name + QLatin1Char('=') + TrimControls(QStringView(text).mid(equals + 1)), KeyOf(name)};
}

void TMemIniFile::SetText(const QByteArray& bytes) {
    FSections.clear();
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    TSection* current = nullptr;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        const QString line = TrimControls(QStringView(text).mid(start, end - start));
        start = end + ((end + 1 < text.size() && text[end] == QLatin1Char('\r') &&
                        text[end + 1] == QLatin1Char('\n'))
                           ? 2
                           : 1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = TrimControls(QStringView(line).mid(1, line.size() - 2));
            FSections.push_back({name, KeyOf(name), {}});
            current = &FSections.back();
        } else if (current) {
            current->Entries.push_back(MakeEntry(line));
        }
    }
}

QByteArray TMemIniFile::Text() const {
    QString text;
    for (const TSection& section : FSections) {
        text += QLatin1Char('[') + section.Name + QLatin1String("]\r\n");
        for (const TEntry& entry : section.Entries)
            text += entry.Text + QLatin1String("\r\n");
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

bool TMemIniFile::LoadFromDisk() {
    QByteArray bytes;
    if (!ReadWholeFile(FFileName, bytes))
        return false;
    SetText(bytes);
    return true;
}

TMemIniFile::TSection* TMemIniFile::FindSection(const QString& name) {
    const QString key = KeyOf(name);
    for (auto it = FSections.rbegin(); it != FSections.rend(); ++it)
        if (it->Key == key)
            return &*it;
    return nullptr;
}

const TMemIniFile::TSection* TMemIniFile::FindSection(const QString& name) const {
    return const_cast<TMemIniFile*>(this)->FindSection(name);
}

qsizetype TMemIniFile::FindEntry(const TSection& section, const QString& ident) {
    const QString key = KeyOf(ident);
    for (qsizetype i = qsizetype(section.Entries.size()) - 1; i >= 0; --i)
        if (!section.Entries[i].Key.isNull() && section.Entries[i].Key == key)
            return i;
    return -1;
}

bool TMemIniFile::FindValue(const QString& section, const QString& ident, QString& value) const {
    const TSection* found = FindSection(section);
    const qsizetype index = found ? FindEntry(*found, ident) : -1;
    if (index < 0)
        return false;
    const QString& text = found->Entries[index].Text;
    value = text.mid(text.indexOf(QLatin1Char('=')) + 1);
    return true;
}

void TMemIniFile::SetValue(const QString& section, const QString& ident, const QString& value) {
    TSection* found = FindSection(section);
    if (!found) {
        FSections.push_back({section, KeyOf(section), {}});
        found = &FSections.back();
    }
    const TEntry entry{ident + QLatin1Char('=') + value, KeyOf(ident)};
    const qsizetype index = FindEntry(*found, ident);
    if (index < 0)
        found->Entries.push_back(entry);
    else
        found->Entries[index] = entry;
}

void TMemIniFile::RemoveKey(const QString& section, const QString& ident) {
    TSection* found = FindSection(section);
    const qsizetype index = found ? FindEntry(*found, ident) : -1;
    if (index >= 0)
        found->Entries.erase(found->Entries.begin() + index);
}

void TMemIniFile::RemoveSection(const QString& section) {
    const TSection* found = FindSection(section);
    if (found)
        FSections.erase(FSections.begin() + (found - FSections.data()));
}

bool TMemIniFile::HasValue(const QString& section, const QString& ident) const {
    const TSection* found = FindSection(section);
    return found && FindEntry(*found, ident) >= 0;
}

bool TMemIniFile::HasEntries(const QString& section) const {
    const TSection* found = FindSection(section);
    return found && !found->Entries.empty();
}

QStringList TMemIniFile::Keys(const QString& section) const {
    QStringList keys;
    if (const TSection* found = FindSection(section))
        for (const TEntry& entry : found->Entries)
            keys.append(entry.Key.isNull() ? QString()
                                           : entry.Text.left(entry.Text.indexOf(QLatin1Char('='))));
    return keys;
}

QStringList TMemIniFile::SectionNames() const {
    QStringList names;
    for (const TSection& section : FSections)
        names.append(section.Name);
    return names;
}
