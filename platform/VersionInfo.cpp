#include "VersionInfo.h"

#include "AtomicFile.h"

#include <QFileInfo>
#include <cstring>
#include <optional>

namespace {
// Where the section header table is described in the ELF header, and where offset and size sit
// in one section header, for 32-bit and 64-bit files.
struct TElfClass {
    int WordSize;
    quint64 TableOffsetAt;
    quint64 EntrySizeAt;
    quint64 CountAt;
    quint64 NamesIndexAt;
    quint64 SectionOffsetAt;
    quint64 SectionSizeAt;
};
constexpr TElfClass Elf32{4, 0x20, 0x2E, 0x30, 0x32, 16, 20};
constexpr TElfClass Elf64{8, 0x28, 0x3A, 0x3C, 0x3E, 24, 32};
constexpr quint64 ElfHeaderSize64 = 0x40;
constexpr quint64 NoBitsType = 8; // a section that takes no room in the file

struct TSection {
    quint64 NameOffset;
    quint64 Type;
    quint64 Offset;
    quint64 Size;
};

// The little-endian number of size bytes at offset, or nothing when it lies past the end.
std::optional<quint64> Number(const QByteArray& data, quint64 offset, int size) {
    const auto length = quint64(data.size());
    if (offset > length || length - offset < quint64(size))
        return std::nullopt;
    quint64 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | quint8(data[qsizetype(offset) + i]);
    return value;
}

bool Inside(const QByteArray& data, quint64 offset, quint64 size) {
    return offset <= quint64(data.size()) && quint64(data.size()) - offset >= size;
}

std::optional<TSection> SectionAt(const QByteArray& file, const TElfClass& elf, quint64 header) {
    const auto name = Number(file, header, 4);
    const auto type = Number(file, header + 4, 4);
    const auto offset = Number(file, header + elf.SectionOffsetAt, elf.WordSize);
    const auto size = Number(file, header + elf.SectionSizeAt, elf.WordSize);
    if (!name || !type || !offset || !size)
        return std::nullopt;
    return TSection{*name, *type, *offset, *size};
}

// True when the section's name in the names section is exactly the given one.
bool HasName(const QByteArray& file, const TSection& names, const TSection& section,
             const char* name) {
    const quint64 length = std::strlen(name) + 1;
    if (!Inside(file, names.Offset, names.Size) || section.NameOffset > names.Size ||
        names.Size - section.NameOffset < length)
        return false;
    return std::memcmp(file.constData() + names.Offset + section.NameOffset, name, length) == 0;
}

// The contents of the named section of a little-endian ELF file, or nothing.
std::optional<QByteArray> FindSection(const QByteArray& file, const char* name) {
    // The identification: magic, class 1 (32 bits) or 2 (64 bits), data 1 (little-endian).
    if (quint64(file.size()) < ElfHeaderSize64 || !file.startsWith("\177ELF") ||
        (file[4] != 1 && file[4] != 2) || file[5] != 1)
        return std::nullopt;
    const TElfClass& elf = file[4] == 2 ? Elf64 : Elf32;
    const auto table = Number(file, elf.TableOffsetAt, elf.WordSize);
    const auto entrySize = Number(file, elf.EntrySizeAt, 2);
    const auto count = Number(file, elf.CountAt, 2);
    const auto namesIndex = Number(file, elf.NamesIndexAt, 2);
    // Bounded this way, no offset below can overflow.
    if (!table || *table > quint64(file.size()) || !entrySize ||
        *entrySize < elf.SectionSizeAt + elf.WordSize || !count || !namesIndex ||
        *namesIndex >= *count)
        return std::nullopt;
    const auto names = SectionAt(file, elf, *table + *namesIndex * *entrySize);
    if (!names)
        return std::nullopt;
    for (quint64 index = 0; index < *count; ++index) {
        const auto section = SectionAt(file, elf, *table + index * *entrySize);
        if (section && section->Type != NoBitsType && HasName(file, *names, *section, name))
            return Inside(file, section->Offset, section->Size)
                       ? std::optional(
                             file.mid(qsizetype(section->Offset), qsizetype(section->Size)))
                       : std::nullopt;
    }
    return std::nullopt;
}

TVersionNumbers Numbers(quint64 high, quint64 low) {
    return {quint16(high >> 16), quint16(high), quint16(low >> 16), quint16(low)};
}

// The text from offset up to its NUL, moving offset past the NUL; nothing when no NUL follows.
std::optional<QString> TextAt(const QByteArray& record, qsizetype& offset) {
    const qsizetype end = record.indexOf('\0', offset);
    if (end < 0)
        return std::nullopt;
    const QString text = QString::fromUtf8(record.constData() + offset, end - offset);
    offset = end + 1;
    return text;
}

// The decoded record, or nothing when it is damaged.
std::optional<TVersionInfo> DecodeRecord(const QByteArray& record) {
    quint64 words[VersionRecordFixedSize / 4];
    for (std::size_t i = 0; i < std::size(words); ++i) {
        const auto word = Number(record, i * 4, 4);
        if (!word)
            return std::nullopt;
        words[i] = *word;
    }
    if (words[0] != VersionRecordSignature)
        return std::nullopt;
    TVersionInfo info;
    info.FileVersion = Numbers(words[2], words[3]);
    info.ProductVersion = Numbers(words[4], words[5]);
    info.FileFlagsMask = std::uint32_t(words[6]);
    info.FileFlags = std::uint32_t(words[7]);
    qsizetype offset = VersionRecordFixedSize;
    for (;;) {
        const auto key = TextAt(record, offset);
        if (!key)
            return std::nullopt;
        if (key->isEmpty())
            return info;
        const auto value = TextAt(record, offset);
        if (!value)
            return std::nullopt;
        if (!info.Strings.contains(*key))
            info.Strings.insert(*key, *value);
    }
}
} // namespace

QString FormatFileVersion(const TVersionNumbers& version) {
    return QStringLiteral("%1.%2.%3 (%4)")
        .arg(version.Major)
        .arg(version.Minor)
        .arg(version.Release)
        .arg(version.Build);
}

TVersionInfo ReadVersionInfo(const QString& fileName) {
    const QString fullName = QFileInfo(fileName).absoluteFilePath();
    const QByteArray file = ReadExistingFile(fullName);
    const auto record = FindSection(file, VersionInfoSectionName);
    if (!record)
        throw EVersionInfoError(
            QStringLiteral("The file \"%1\" holds no version information.").arg(fullName));
    const auto info = DecodeRecord(*record);
    if (!info)
        throw EVersionInfoError(
            QStringLiteral("The version information of the file \"%1\" is damaged.").arg(fullName));
    return *info;
}
