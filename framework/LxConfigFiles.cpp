#include "LxConfigFiles.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "LxConfigValues.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <QFileInfo>
#include <cstdio>

namespace {
const QString HeaderSection = QStringLiteral("LXS:CONFIG:HEADER");
const QString SchemaKey = QStringLiteral("SchemaVersion");
} // namespace

// ---- ILxConfigSectionPtr ----

ILxConfigSectionPtr::ILxConfigSectionPtr(ILxConfigSection* handle) : FHandle(handle) {
    if (FHandle)
        FHandle->AddRef();
}

ILxConfigSectionPtr::ILxConfigSectionPtr(const ILxConfigSectionPtr& other)
    : ILxConfigSectionPtr(other.FHandle) {}

ILxConfigSectionPtr::ILxConfigSectionPtr(ILxConfigSectionPtr&& other) noexcept
    : FHandle(std::exchange(other.FHandle, nullptr)) {}

ILxConfigSectionPtr& ILxConfigSectionPtr::operator=(ILxConfigSectionPtr other) {
    std::swap(FHandle, other.FHandle);
    return *this;
}

ILxConfigSectionPtr::~ILxConfigSectionPtr() {
    try {
        Release();
    } catch (const Exception& error) {
        std::fprintf(stderr, "velloria: %s\n", error.Message().toLocal8Bit().constData());
    }
}

void ILxConfigSectionPtr::Release() {
    if (ILxConfigSection* handle = std::exchange(FHandle, nullptr))
        handle->Release();
}

// ---- TLxConfigFile ----

TLxConfigFile::TLxConfigFile(const QString& fileName, bool readOnly) : TMemIniFile(fileName) {
    if (!fileName.isEmpty() && !readOnly)
        RemoveStaleTemporaries(ExtractFilePath(FinalTarget(fileName)));
    if (!fileName.isEmpty())
        LoadFromDisk();
    FReadOnly = readOnly;
    CheckSchema();
    FLoadTime = Now();
}

void TLxConfigFile::CheckSchema() {
    const qint32 version = ReadInteger(HeaderSection, SchemaKey, 0);
    if (version > CurrentSchemaVersion)
        throw Exception(QStringLiteral("Unsupported schema version: %1").arg(version));
    FSchemaVersion = version < 0 ? 0 : version;
}

template <typename Action> void TLxConfigFile::ApplyChange(Action&& change) {
    if (FReadOnly)
        return;
    if (!FModified)
        ReloadIfChanged();
    change();
    FModified = true;
}

void TLxConfigFile::ReloadIfChanged() {
    LX_ASSERT(!FModified);
    const QFileInfo info(FileName());
    if (FileName().isEmpty() || !info.exists())
        return;
    if (QDateTimeToDateTime(info.lastModified()) > FLoadTime) {
        FLoadTime = Now();
        Reload();
    }
}

void TLxConfigFile::Reload() {
    LX_ASSERT(!FileName().isEmpty());
    if (LoadFromDisk())
        CheckSchema();
}

QString TLxConfigFile::ReadStored(const QString& section, const QString& ident) const {
    QString value;
    FindValue(section, ident, value);
    return value;
}

QString TLxConfigFile::ReadString(const QString& section, const QString& ident,
                                  const QString& defaultValue) {
    const QString stored = ReadStored(section, ident);
    if (stored.isEmpty())
        return defaultValue;
    // The error keeps its class and text; the person reading it also needs to know where the
    // damaged value is and how to start without it.
    const auto where = [&] {
        return QStringLiteral("\nFile: %1\nKey: %2 in section [%3]\nStart the program with "
                              "-noconfig to start without the stored settings.")
            .arg(FileName(), ident, section);
    };
    try {
        return DecodeTextValue(stored);
    } catch (const EConvertError& error) {
        throw EConvertError(error.Message() + where());
    } catch (const Exception& error) {
        throw Exception(error.Message() + where());
    }
}

void TLxConfigFile::WriteString(const QString& section, const QString& ident,
                                const QString& value) {
    const QString stored = EncodeTextValue(value);
    ApplyChange([&] { SetValue(section, ident, stored); });
}

qint32 TLxConfigFile::ReadInteger(const QString& section, const QString& ident,
                                  qint32 defaultValue) {
    return ParseInteger(ReadString(section, ident, QString())).value_or(defaultValue);
}

void TLxConfigFile::WriteInteger(const QString& section, const QString& ident, qint32 value) {
    WriteString(section, ident, QString::number(value));
}

bool TLxConfigFile::ReadBool(const QString& section, const QString& ident, bool defaultValue) {
    if (FSchemaVersion >= 1)
        return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
    const QString stored = ReadStored(section, ident);
    const QChar first = stored.isEmpty() ? QChar() : stored.front();
    if (first == QLatin1Char('0') || first == QLatin1Char('F') || first == QLatin1Char('f'))
        return false;
    if (first == QLatin1Char('1') || first == QLatin1Char('T') || first == QLatin1Char('t'))
        return true;
    return defaultValue;
}

void TLxConfigFile::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

TDateTime TLxConfigFile::ReadDateTime(const QString& section, const QString& ident,
                                      TDateTime defaultValue) {
    return ParseDateTimeValue(ReadStored(section, ident), FSchemaVersion).value_or(defaultValue);
}

void TLxConfigFile::WriteDateTime(const QString& section, const QString& ident, TDateTime value) {
    const QString stored = FormatDateTimeValue(value);
    ApplyChange([&] { SetValue(section, ident, stored); });
}

bool TLxConfigFile::ValueExists(const QString& section, const QString& ident) const {
    return HasValue(section, ident);
}

bool TLxConfigFile::SectionExists(const QString& section) const {
    return HasEntries(section);
}

void TLxConfigFile::ReadSection(const QString& section, QStringList& list) const {
    list = Keys(section);
}

void TLxConfigFile::DeleteKey(const QString& section, const QString& ident) {
    ApplyChange([&] { RemoveKey(section, ident); });
}

void TLxConfigFile::EraseSection(const QString& section) {
    ApplyChange([&] { RemoveSection(section); });
}

void TLxConfigFile::ReadStrings(const QString& section, QStringList& list, const QString& prefix,
                                bool skipEmpty) {
    const qint32 count = ReadInteger(section, prefix + QLatin1String("count"), 0);
    list.clear();
    if (count > 0)
        list.reserve(std::min<qint32>(count, 4096));
    for (qint32 i = 0; i < count; ++i) {
        const QString text = ReadString(section, prefix + QString::number(i), QString());
        if (!text.isEmpty() || !skipEmpty)
            list.append(text);
    }
}

void TLxConfigFile::WriteStrings(const QString& section, const QStringList& list,
                                 const QString& prefix) {
    if (FReadOnly)
        return;
    WriteInteger(section, prefix + QLatin1String("count"), qint32(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i)
        WriteString(section, prefix + QString::number(i), list[i]);
    for (qsizetype i = list.size(); ValueExists(section, prefix + QString::number(i)); ++i)
        DeleteKey(section, prefix + QString::number(i));
}

void TLxConfigFile::SetSchemaVersion(int version) {
    if (version == FSchemaVersion)
        return;
    FSchemaVersion = version;
    WriteInteger(HeaderSection, SchemaKey, version);
}

void TLxConfigFile::UpdateFile() {
    if (FReadOnly)
        return;
    SetSchemaVersion(CurrentSchemaVersion);
    if (!FModified)
        return;
    if (!FileName().isEmpty()) {
        const QString folder = ExtractFilePath(FileName());
        if (!ForceDirectories(folder))
            throw Exception(
                QStringLiteral("Unable to create configuration folder: %1").arg(folder));
        QString reason;
        if (!WriteFileAtomically(FileName(), Text(), reason)) {
            FSaveError = QStringLiteral("cannot save %1: %2").arg(FileName(), reason);
            std::fprintf(stderr, "velloria: %s\n", FSaveError.toLocal8Bit().constData());
            return;
        }
        FSaveError.clear();
        FLoadTime = Now();
    }
    FModified = false;
}

ILxConfigSectionPtr TLxConfigFile::GetSection(const QString& name) {
    return ILxConfigSectionPtr(new TLxConfigSectionImp(*this, name));
}

void TLxConfigFile::AddSectionRef() {
    ++FSectionRefs;
}

void TLxConfigFile::ReleaseSectionRef() {
    LX_ASSERT(FSectionRefs >= 1);
    if (--FSectionRefs == 0)
        UpdateFile();
}

// ---- TLxConfigSectionImp ----

TLxConfigSectionImp::TLxConfigSectionImp(TLxConfigFile& file, const QString& sectionName)
    : FSectionName(sectionName), FFile(file) {
    FFile.AddSectionRef();
}

void TLxConfigSectionImp::Release() {
    if (--FRefCount > 0)
        return;
    TLxConfigFile& file = FFile;
    delete this;
    file.ReleaseSectionRef();
}

ILxConfigSectionPtr TLxConfigSectionImp::Section(const QString& name) {
    return FFile.GetSection(name);
}

void TLxConfigSectionImp::EraseSection(const QString& name) {
    FFile.EraseSection(name);
}

bool TLxConfigSectionImp::ValueExists(const QString& ident) {
    return FFile.ValueExists(FSectionName, ident);
}

bool TLxConfigSectionImp::SectionExists(const QString& name) {
    return FFile.SectionExists(name);
}

void TLxConfigSectionImp::ReadKeys(QStringList& list) {
    FFile.ReadSection(FSectionName, list);
}

void TLxConfigSectionImp::Clear() {
    FFile.EraseSection(FSectionName);
}

QString TLxConfigSectionImp::ReadString(const QString& ident, const QString& defaultValue) {
    return FFile.ReadString(FSectionName, ident, defaultValue);
}

void TLxConfigSectionImp::WriteString(const QString& ident, const QString& value) {
    FFile.WriteString(FSectionName, ident, value);
}

qint32 TLxConfigSectionImp::ReadInteger(const QString& ident, qint32 defaultValue) {
    return FFile.ReadInteger(FSectionName, ident, defaultValue);
}

void TLxConfigSectionImp::WriteInteger(const QString& ident, qint32 value) {
    FFile.WriteInteger(FSectionName, ident, value);
}

TDateTime TLxConfigSectionImp::ReadDateTime(const QString& ident, TDateTime defaultValue) {
    return FFile.ReadDateTime(FSectionName, ident, defaultValue);
}

void TLxConfigSectionImp::WriteDateTime(const QString& ident, TDateTime value) {
    FFile.WriteDateTime(FSectionName, ident, value);
}

bool TLxConfigSectionImp::ReadBool(const QString& ident, bool defaultValue) {
    return FFile.ReadBool(FSectionName, ident, defaultValue);
}

void TLxConfigSectionImp::WriteBool(const QString& ident, bool value) {
    FFile.WriteBool(FSectionName, ident, value);
}

void TLxConfigSectionImp::ReadStrings(QStringList& list, const QString& prefix, bool skipEmpty) {
    FFile.ReadStrings(FSectionName, list, prefix, skipEmpty);
}

void TLxConfigSectionImp::WriteStrings(const QStringList& list, const QString& prefix) {
    FFile.WriteStrings(FSectionName, list, prefix);
}
