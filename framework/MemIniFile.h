#pragma once
// An in-memory INI store: an ordered list of sections of ordered "name=value" entries, read from
// and written to text as a whole. Names compare without regard to case; where a name occurs twice,
// lookups find the last occurrence and every occurrence is kept and written back.

#include <QString>
#include <QStringList>
#include <vector>

class TMemIniFile {
public:
    explicit TMemIniFile(QString fileName = QString());
    virtual ~TMemIniFile() = default;

    const QString& FileName() const { return FFileName; }

    // Replaces the content by the parsed text (lines split at CR LF, CR or LF; a NUL ends the
    // text; comments, blank lines and lines before the first section dropped).
    void SetText(const QByteArray& text);
    // The content as written to disk: sections, entries and an empty line after each section,
    // every line ending with CR LF.
    QByteArray Text() const;
    // Replaces the content by the file's; false, with the content unchanged, when there is no
    // file. Raises EFOpenError or EReadError naming the file when something is there that cannot
    // be read (a folder, a FIFO, a file this user may not read, a read error).
    bool LoadFromDisk();

    // The stored text after the first "=" of the entry, or nothing when there is no such entry.
    bool FindValue(const QString& section, const QString& ident, QString& value) const;
    // Replaces the entry's whole text at its place, or appends it (and the section) when missing.
    void SetValue(const QString& section, const QString& ident, const QString& value);
    void RemoveKey(const QString& section, const QString& ident);
    void RemoveSection(const QString& section);
    // True when the section has an entry of that name (even with an empty value).
    bool HasValue(const QString& section, const QString& ident) const;
    // True when the section exists and has at least one entry.
    bool HasEntries(const QString& section) const;
    // The entry names of the section, in order; a nameless entry gives an empty name.
    QStringList Keys(const QString& section) const;
    QStringList SectionNames() const;

private:
    struct TEntry {
        QString Text; // "name=value", or a nameless line as it stood
        QString Key;  // the upper-cased name; null for a nameless entry
    };
    struct TSection {
        QString Name;
        QString Key;
        std::vector<TEntry> Entries;
    };

    static TEntry MakeEntry(const QString& text);
    TSection* FindSection(const QString& name);
    const TSection* FindSection(const QString& name) const;
    static qsizetype FindEntry(const TSection& section, const QString& ident);

    QString FFileName;
    std::vector<TSection> FSections;
};
