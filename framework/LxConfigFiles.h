#pragma once
// The framework's settings file: an INI store read into memory when opened and written back
// whole, with a schema header, quoted texts, date-time and binary forms, read-only opening,
// reloading before the first change when another process wrote the file, and counted section
// handles that save the file when the last one is released.

#include "DateTime.h"
#include "MemIniFile.h"

#include <QStringList>

class TLxConfigFile;

// A handle on one named section of one configuration file. Handles are counted: hold them in an
// ILxConfigSectionPtr; when the last reference goes, the handle goes, and when the file's last
// handle goes, the file is saved.
class ILxConfigSection {
public:
    virtual void AddRef() = 0;
    // Drops one reference; the last one destroys the handle and may save the file, which raises
    // what the save raises.
    virtual void Release() = 0;

    virtual class ILxConfigSectionPtr Section(const QString& name) = 0;
    virtual void EraseSection(const QString& name) = 0;
    virtual bool ValueExists(const QString& ident) = 0;
    virtual bool SectionExists(const QString& name) = 0;
    virtual QString Name() = 0;
    virtual void ReadKeys(QStringList& list) = 0;
    virtual void Clear() = 0;
    virtual QString ReadString(const QString& ident, const QString& defaultValue) = 0;
    virtual void WriteString(const QString& ident, const QString& value) = 0;
    virtual qint32 ReadInteger(const QString& ident, qint32 defaultValue) = 0;
    virtual void WriteInteger(const QString& ident, qint32 value) = 0;
    virtual TDateTime ReadDateTime(const QString& ident, TDateTime defaultValue) = 0;
    virtual void WriteDateTime(const QString& ident, TDateTime value) = 0;
    virtual bool ReadBool(const QString& ident, bool defaultValue) = 0;
    virtual void WriteBool(const QString& ident, bool value) = 0;
    virtual void ReadStrings(QStringList& list, const QString& prefix, bool skipEmpty) = 0;
    virtual void WriteStrings(const QStringList& list, const QString& prefix) = 0;

protected:
    virtual ~ILxConfigSection() = default;
};

// A counted reference to a section handle, like an interface variable.
class ILxConfigSectionPtr {
public:
    ILxConfigSectionPtr() = default;
    explicit ILxConfigSectionPtr(ILxConfigSection* handle); // takes a new reference
    ILxConfigSectionPtr(const ILxConfigSectionPtr& other);
    ILxConfigSectionPtr(ILxConfigSectionPtr&& other) noexcept;
    ILxConfigSectionPtr& operator=(ILxConfigSectionPtr other);
    // Releases without letting an exception out: a failed save is reported on standard error.
    ~ILxConfigSectionPtr();

    // Releases now; the last release's save may raise.
    void Release();
    ILxConfigSection* operator->() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }

private:
    ILxConfigSection* FHandle = nullptr;
};

class TLxConfigFile : public TMemIniFile {
public:
    static constexpr int CurrentSchemaVersion = 1;

    // Opens the file: unless read-only, removes the temporaries that killed saves left beside it;
    // reads it when it exists, then checks the schema header. Raises EFOpenError or EReadError
    // naming the file and the reason when something at its path cannot be read (nothing is then
    // open, so nothing can be saved over it), and Exception "Unsupported schema version: %d" for a
    // version above 1.
    TLxConfigFile(const QString& fileName, bool readOnly);

    int SchemaVersion() const { return FSchemaVersion; }
    bool Modified() const { return FModified; }
    bool ReadOnly() const { return FReadOnly; }
    int SectionRefs() const { return FSectionRefs; }
    TDateTime LoadTime() const { return FLoadTime; }

    // Raises, for a malformed quoted value, the decoding error (Exception "Badly formed quoted
    // string" or EConvertError) with the file, the key and the way to start without it added.
    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue);
    void WriteString(const QString& section, const QString& ident, const QString& value);
    qint32 ReadInteger(const QString& section, const QString& ident, qint32 defaultValue);
    void WriteInteger(const QString& section, const QString& ident, qint32 value);
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue);
    void WriteBool(const QString& section, const QString& ident, bool value);
    TDateTime ReadDateTime(const QString& section, const QString& ident, TDateTime defaultValue);
    void WriteDateTime(const QString& section, const QString& ident, TDateTime value);
    bool ValueExists(const QString& section, const QString& ident) const;
    bool SectionExists(const QString& section) const;
    void ReadSection(const QString& section, QStringList& list) const;
    void DeleteKey(const QString& section, const QString& ident);
    void EraseSection(const QString& section);
    void ReadStrings(const QString& section, QStringList& list, const QString& prefix,
                     bool skipEmpty);
    void WriteStrings(const QString& section, const QStringList& list, const QString& prefix);
    // Sets the version and writes it to the header when it differs from the current one.
    void SetSchemaVersion(int version);
    // Saves when there are unsaved changes (stamping schema 1 first). The file (the target, when it
    // is a symbolic link) is written to a temporary file and renamed over the old one, keeping its
    // mode. Raises "Unable to create configuration folder:
    // %s" when the folder cannot be made; a failed write is reported on standard error and leaves
    // the file modified for the next try, its reason in SaveError.
    void UpdateFile();
    // Why the last write failed (the file and the system's reason); empty once one succeeded.
    const QString& SaveError() const { return FSaveError; }
    // A new handle on the section.
    ILxConfigSectionPtr GetSection(const QString& name);

private:
    friend class TLxConfigSectionImp;
    // Runs a change: nothing on a read-only file; reload first when clean and the disk is newer.
    template <typename Action> void ApplyChange(Action&& change);
    void ReloadIfChanged();
    void Reload();
    void CheckSchema();
    QString ReadStored(const QString& section, const QString& ident) const;
    void AddSectionRef();
    void ReleaseSectionRef();

    int FSchemaVersion = 0;
    bool FModified = false;
    bool FReadOnly = false;
    int FSectionRefs = 0;
    TDateTime FLoadTime = 0;
    QString FSaveError;
};

// The handle class behind ILxConfigSection.
class TLxConfigSectionImp : public ILxConfigSection {
public:
    TLxConfigSectionImp(TLxConfigFile& file, const QString& sectionName);

    void AddRef() override { ++FRefCount; }
    void Release() override;

    ILxConfigSectionPtr Section(const QString& name) override;
    void EraseSection(const QString& name) override;
    bool ValueExists(const QString& ident) override;
    bool SectionExists(const QString& name) override;
    QString Name() override { return FSectionName; }
    void ReadKeys(QStringList& list) override;
    void Clear() override;
    QString ReadString(const QString& ident, const QString& defaultValue) override;
    void WriteString(const QString& ident, const QString& value) override;
    qint32 ReadInteger(const QString& ident, qint32 defaultValue) override;
    void WriteInteger(const QString& ident, qint32 value) override;
    TDateTime ReadDateTime(const QString& ident, TDateTime defaultValue) override;
    void WriteDateTime(const QString& ident, TDateTime value) override;
    bool ReadBool(const QString& ident, bool defaultValue) override;
    void WriteBool(const QString& ident, bool value) override;
    void ReadStrings(QStringList& list, const QString& prefix, bool skipEmpty) override;
    void WriteStrings(const QStringList& list, const QString& prefix) override;

private:
    ~TLxConfigSectionImp() override = default;

    QString FSectionName;
    TLxConfigFile& FFile;
    int FRefCount = 0;
};
