#pragma once
// The version information of a program file: a fixed part (file and product version, file
// flags) and a table of strings (ProductName, CompanyName, ...). A program built here carries it
// as a small record in an ELF section of its own, placed there at build time
// (cmake/VersionInfo.cmake), and it is read back from the file like any file's version resource.
//
// The record, every number little-endian: eight 32-bit words (signature 0xFEEF04BD, layout
// version 0x00010000, file version high and low, product version high and low, flags mask,
// flags), then "key" NUL "value" NUL pairs ended by an empty key.

#include "Exception.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

LX_DECLARE_EXCEPTION(EVersionInfoError, Exception)

// The file flags and the bits of the flags mask.
inline constexpr std::uint32_t VS_FF_DEBUG = 0x01;
inline constexpr std::uint32_t VS_FF_PRERELEASE = 0x02;
inline constexpr std::uint32_t VS_FF_PATCHED = 0x04;
inline constexpr std::uint32_t VS_FF_PRIVATEBUILD = 0x08;
inline constexpr std::uint32_t VS_FF_INFOINFERRED = 0x10;
inline constexpr std::uint32_t VS_FF_SPECIALBUILD = 0x20;

// The name of the ELF section that holds the record (a macro too, for the section attribute).
#define LX_VERSION_INFO_SECTION ".lxversion"
inline constexpr char VersionInfoSectionName[] = LX_VERSION_INFO_SECTION;
inline constexpr std::uint32_t VersionRecordSignature = 0xFEEF04BD;
inline constexpr std::size_t VersionRecordFixedSize = 32;

// Major, minor, release and build number.
struct TVersionNumbers {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
};

struct TVersionInfo {
    TVersionNumbers FileVersion;
    TVersionNumbers ProductVersion;
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    // The string table by key; a key that appears twice keeps its first value.
    QMap<QString, QString> Strings;

    // The value of the key, or empty text when the table has no such key.
    QString StringValue(const QString& key) const { return Strings.value(key); }
    // The flags that are set and also present in the mask.
    std::uint32_t EffectiveFlags() const { return FileFlags & FileFlagsMask; }
};

// The file version as "major.minor.release (build)", as the About dialog shows it.
QString FormatFileVersion(const TVersionNumbers& version);

// Reads the version information of the program file (any ELF file, 32 or 64 bits,
// little-endian). Raises EFOpenError or EReadError when the file cannot be read, and
// EVersionInfoError when it is no such ELF file or has no version section ("The file "name" holds
// no version information."), or when the record in that section is damaged ("The version
// information of the file "name" is damaged.").
TVersionInfo ReadVersionInfo(const QString& fileName);

namespace VersionRecordDetail {
constexpr std::uint32_t HighLow(std::uint16_t high, std::uint16_t low) {
    return std::uint32_t(high) << 16 | low;
}
} // namespace VersionRecordDetail

// Builds the record at compile time, for the generated source that places it in its section. The
// strings are the pairs written as one literal ("Key" "\0" "Value" "\0" ...); the literal's own
// final NUL ends the table.
template <std::size_t N>
constexpr std::array<char, VersionRecordFixedSize + N>
MakeVersionRecord(TVersionNumbers file, TVersionNumbers product, std::uint32_t flagsMask,
                  std::uint32_t flags, const char (&strings)[N]) {
    using VersionRecordDetail::HighLow;
    const std::uint32_t words[] = {VersionRecordSignature,
                                   0x00010000,
                                   HighLow(file.Major, file.Minor),
                                   HighLow(file.Release, file.Build),
                                   HighLow(product.Major, product.Minor),
                                   HighLow(product.Release, product.Build),
                                   flagsMask,
                                   flags};
    std::array<char, VersionRecordFixedSize + N> record{};
    for (std::size_t i = 0; i < VersionRecordFixedSize; ++i)
        record[i] = char(words[i / 4] >> (8 * (i % 4)) & 0xFF);
    for (std::size_t i = 0; i < N; ++i)
        record[VersionRecordFixedSize + i] = strings[i];
    return record;
}
