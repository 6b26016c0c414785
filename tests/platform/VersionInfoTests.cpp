// Reading version information back from program files: the record's numbers and strings, and
// the files that hold none or a damaged one. The files are small ELF files made here, with
// nothing in them but their section tables, so every branch of the reader can be reached.
#include "AtomicFile.h"
#include "ProgramFile.h"
#include "VersionInfo.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {
struct TTestSection {
    QByteArray Name;
    QByteArray Data;
    quint32 Type = 1; // PROGBITS
};

void Put(QByteArray& data, qsizetype offset, quint64 value, int size) {
    for (int i = 0; i < size; ++i)
        data[offset + i] = char(value >> (8 * i) & 0xFF);
}

// A little-endian ELF file of the class: header, the sections' data, the names section, then the
// section header table (the empty section 0, the given sections, the names section).
QByteArray MakeElf(bool is64, const std::vector<TTestSection>& sections) {
    const int word = is64 ? 8 : 4;
    const int entrySize = is64 ? 64 : 40;
    QByteArray file(64, '\0');
    file.replace(0, 4, "\177ELF");
    file[4] = char(is64 ? 2 : 1);
    file[5] = 1;
    file[6] = 1;
    QByteArray names(1, '\0');
    struct TPlaced {
        quint64 Name, Type, Offset, Size;
    };
    std::vector<TPlaced> placed{{0, 0, 0, 0}};
    for (const TTestSection& section : sections) {
        placed.push_back({quint64(names.size()), section.Type, quint64(file.size()),
                          quint64(section.Data.size())});
        names += section.Name + '\0';
        file += section.Data;
    }
    placed.push_back({quint64(names.size()), 3, quint64(file.size()), 0});
    names += ".shstrtab";
    names += '\0';
    placed.back().Size = names.size();
    file += names;
    const qsizetype table = file.size();
    file += QByteArray(qsizetype(placed.size()) * entrySize, '\0');
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const qsizetype header = table + qsizetype(i) * entrySize;
        Put(file, header, placed[i].Name, 4);
        Put(file, header + 4, placed[i].Type, 4);
        Put(file, header + (is64 ? 24 : 16), placed[i].Offset, word);
        Put(file, header + (is64 ? 32 : 20), placed[i].Size, word);
    }
    Put(file, is64 ? 0x28 : 0x20, quint64(table), word);
    Put(file, is64 ? 0x3A : 0x2E, quint64(entrySize), 2);
    Put(file, is64 ? 0x3C : 0x30, placed.size(), 2);
    Put(file, is64 ? 0x3E : 0x32, placed.size() - 1, 2);
    return file;
}

template <std::size_t N> QByteArray RecordBytes(const std::array<char, N>& record) {
    return QByteArray(record.data(), qsizetype(record.size()));
}

const QByteArray SampleRecord =
    RecordBytes(MakeVersionRecord({7, 8, 9, 1011}, {7, 8, 0, 0}, VS_FF_DEBUG | VS_FF_SPECIALBUILD,
                                  VS_FF_SPECIALBUILD | VS_FF_PRIVATEBUILD,
                                  "ProductName"
                                  "\0"
                                  "Sample"
                                  "\0"
                                  "Comments"
                                  "\0"
                                  "2 lines\nand \xc3\xa9"
                                  "\0"
                                  "ProductName"
                                  "\0"
                                  "Second"
                                  "\0"));

class VersionInfoFiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& data) {
        const QString fileName = FDir.filePath(name);
        QString reason;
        EXPECT_TRUE(WriteFileAtomically(fileName, data, reason)) << reason.toStdString();
        return fileName;
    }
    QTemporaryDir FDir;
};
} // namespace

TEST_F(VersionInfoFiles, RecordIsReadFromBothElfClasses) {
    for (const bool is64 : {false, true}) {
        SCOPED_TRACE(is64 ? "64 bits" : "32 bits");
        const QString fileName =
            Write(QStringLiteral("program"), MakeElf(is64, {{".text", QByteArray(100, 'x')},
                                                            {".lxversionx", "decoy"},
                                                            {".lxversion", SampleRecord}}));
        const TVersionInfo info = ReadVersionInfo(fileName);
        EXPECT_EQ(FormatFileVersion(info.FileVersion), "7.8.9 (1011)");
        EXPECT_EQ(FormatFileVersion(info.ProductVersion), "7.8.0 (0)");
        EXPECT_EQ(info.FileFlagsMask, VS_FF_DEBUG | VS_FF_SPECIALBUILD);
        EXPECT_EQ(info.FileFlags, VS_FF_SPECIALBUILD | VS_FF_PRIVATEBUILD);
        EXPECT_EQ(info.EffectiveFlags(), VS_FF_SPECIALBUILD);
        // A key given twice keeps its first value; a missing key reads as empty.
        EXPECT_EQ(info.StringValue("ProductName"), "Sample");
        EXPECT_EQ(info.StringValue("Comments"), QString::fromUtf8("2 lines\nand \xc3\xa9"));
        EXPECT_EQ(info.StringValue("CompanyName"), "");
        EXPECT_EQ(info.Strings.size(), 2);
    }
}

TEST_F(VersionInfoFiles, FilesWithoutVersionInformationFail) {
    QByteArray bigEndian = MakeElf(true, {{".lxversion", SampleRecord}});
    bigEndian[5] = 2;
    QByteArray tableBeyondEnd = MakeElf(true, {{".lxversion", SampleRecord}});
    Put(tableBeyondEnd, 0x28, 1u << 30, 8);
    QByteArray namesIndexOutside = MakeElf(false, {{".lxversion", SampleRecord}});
    Put(namesIndexOutside, 0x32, 9, 2);
    QByteArray dataBeyondEnd = MakeElf(true, {{".lxversion", SampleRecord}});
    // Section 1's size, in the table at the end of the file.
    Put(dataBeyondEnd, dataBeyondEnd.size() - 2 * 64 + 32, 1u << 20, 8);
    const struct {
        const char* Case;
        QByteArray Contents;
    } cases[] = {
        {"empty", {}},
        {"text", "Velloria 1.0.0\n"},
        {"only other sections", MakeElf(true, {{".text", "code"}, {".lxversio", "x"}})},
        {"no file data", MakeElf(true, {{".lxversion", {}, 8}})},
        {"big-endian", bigEndian},
        {"section table beyond the end", tableBeyondEnd},
        {"names index outside the table", namesIndexOutside},
        {"section data beyond the end", dataBeyondEnd},
        {"cut inside the header", MakeElf(true, {{".lxversion", SampleRecord}}).left(40)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Case);
        const QString fileName = Write(QStringLiteral("plain"), test.Contents);
        try {
            ReadVersionInfo(fileName);
            ADD_FAILURE() << "no exception";
        } catch (const EVersionInfoError& error) {
            EXPECT_EQ(
                error.Message(),
                QStringLiteral("The file \"%1\" holds no version information.").arg(fileName));
        }
    }
}

TEST_F(VersionInfoFiles, DamagedRecordsFail) {
    QByteArray wrongSignature = SampleRecord;
    wrongSignature[0] = 'X';
    const struct {
        const char* Case;
        QByteArray Record;
    } cases[] = {
        {"wrong signature", wrongSignature},
        {"cut in the fixed part", SampleRecord.left(31)},
        {"no end of table", SampleRecord.left(SampleRecord.size() - 1)},
        {"value without its end",
         SampleRecord.left(VersionRecordFixedSize) + QByteArray("ProductName\0Sam", 15)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Case);
        const QString fileName =
            Write(QStringLiteral("damaged"), MakeElf(false, {{".lxversion", test.Record}}));
        try {
            ReadVersionInfo(fileName);
            ADD_FAILURE() << "no exception";
        } catch (const EVersionInfoError& error) {
            EXPECT_EQ(error.Message(),
                      QStringLiteral("The version information of the file \"%1\" is damaged.")
                          .arg(fileName));
        }
    }
}

TEST(VersionInfo, ProgramWithoutTheRecordAndFilesThatCannotBeOpenedFail) {
    // This test program is a real executable built without version information.
    EXPECT_THROW(ReadVersionInfo(ProgramFilePath()), EVersionInfoError);
    EXPECT_THROW(ReadVersionInfo(QStringLiteral("/nonexistent/velloria")), EFOpenError);
    // Neither a folder nor a FIFO without a writer is waited on.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(ReadVersionInfo(dir.path()), EFOpenError);
    EXPECT_THROW(ReadVersionInfo(fifo), EFOpenError);
}
