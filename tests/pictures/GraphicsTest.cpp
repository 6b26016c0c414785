// Reading picture files: the open failure message names the full path and the system's reason.
#include "Graphics.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ReadWholeFile, MissingFileRaisesEFOpenErrorWithFullNameAndReason) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("missing.bmp"));
    try {
        ReadWholeFile(name);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(name));
        EXPECT_EQ(e.ClassName(), QStringLiteral("EFOpenError"));
    }
}

TEST(ReadWholeFile, FolderOrFifoIsRefusedAtOnce) {
    // A FIFO named like a picture would otherwise hold the reader until someone writes to it.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.gif"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.bmp"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const auto& [name, reason] : {std::pair{fifo, "It is not a regular file."},
                                       std::pair{folder, "It is a folder, not a file."}}) {
        try {
            ReadWholeFile(name);
            ADD_FAILURE() << "no exception for " << name.toStdString();
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file \"%1\". %2").arg(name, reason));
        }
    }
}

TEST(ReadWholeFile, RelativeNameIsReportedAsFullName) {
    const QString old = QDir::currentPath();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    try {
        ReadWholeFile(QStringLiteral("nothing.ico"));
        ADD_FAILURE() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open file \"%1/nothing.ico\"")
                                               .arg(QDir(dir.path()).canonicalPath())))
            << e.Message().toStdString();
    }
    QDir::setCurrent(old);
}

TEST(ReadWholeFile, ReturnsEveryByteIncludingZeros) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes("BM\0\0\x01\xff", 6);
    file.write(bytes);
    file.close();
    EXPECT_EQ(ReadWholeFile(file.fileName()), bytes);
}
