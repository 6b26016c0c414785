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

bool Inside(quint64 length, quint64 offset, quint64 size) {
    return offset <= length && length - offset >= size;
}

std::optional<TSection> SectionAt(const QByteArray& table, const TElfClass& elf, quint64 header) {
    const auto name = Number(table, header, 4);
    const auto type = Number(table, header + 4, 4);
    const auto offset = Number(table, header + elf.SectionOffsetAt, elf.WordSize);
    const auto size = Number(table, header + elf.SectionSizeAt, elf.WordSize);
    if (!name || !type || !offset || !size)
        return std::nullopt;
    return TSection{*name, *type, *offset, *size};
}

// True when the section's name in the names section's contents is exactly the given one.
bool HasName(const QByteArray& names, const TSection& section, const char* name) {
    const quint64 length = std::strlen(name) + 1;
    return Inside(quint64(names.size()), section.NameOffset, length) &&
           std::memcmp(names.constData() + section.NameOffset, name, length) == 0;
}

// The contents of the section when it lies inside the file, or nothing.
std::optional<QByteArray> Contents(const TFilePieces& file, const TSection& section) {
    if (!Inside(file.Size(), section.Offset, section.Size))
        return std::nullopt;
    return file.ReadAt(section.Offset, section.Size);
}

// The contents of the named section of a little-endian ELF file, or nothing. Only the header,
// the section header table, the names section and that section are read.
std::optional<QByteArray> FindSection(const TFilePieces& file, const char* name) {
    const QByteArray header = file.ReadAt(0, ElfHeaderSize64);
    // The identification: magic, class 1 (32 bits) or 2 (64 bits), data 1 (little-endian).
    if (quint64(header.size()) < ElfHeaderSize64 || !header.startsWith("\177ELF") ||
        (header[4] != 1 && header[4] != 2) || header[5] != 1)
        return std::nullopt;
    const TElfClass& elf = header[4] == 2 ? Elf64 : Elf32;
    const auto table = Number(header, elf.TableOffsetAt, elf.WordSize);
    const auto entrySize = Number(header, elf.EntrySizeAt, 2);
    const auto count = Number(header, elf.CountAt, 2);
    const auto namesIndex = Number(header, elf.NamesIndexAt, 2);
    if (!table || *table > file.Size() || !entrySize ||
        *entrySize < elf.SectionSizeAt + elf.WordSize || !count || !namesIndex ||
        *namesIndex >= *count)
        return std::nullopt;
    // Cut where the file ends: the headers past it are missing, as in the file.
    const QByteArray headers = file.ReadAt(*table, *count * *entrySize);
    const auto names = SectionAt(headers, elf, *namesIndex * *entrySize);
    const auto nameTable = names ? Contents(file, *names) : std::nullopt;
    if (!nameTable)
        return std::nullopt;
    for (quint64 index = 0; index < *count; ++index) {
        const auto section = SectionAt(headers, elf, index * *entrySize);
        if (section && section->Type != NoBitsType && HasName(*nameTable, *section, name))
            return Contents(file, *section);
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
    const auto record = FindSection(TFilePieces(fullName), VersionInfoSectionName);
    if (!record)
        throw EVersionInfoError(
            QStringLiteral("The file \"%1\" holds no version information.").arg(fullName));
    const auto info = DecodeRecord(*record);
    if (!info)
        throw EVersionInfoError(
            QStringLiteral("The version information of the file \"%1\" is damaged.").arg(fullName));
    return *info;
}
