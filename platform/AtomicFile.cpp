#include "AtomicFile.h"

#include "Exception.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
// Temporary names are short and fixed in form: a long target name must not make them too long,
// and RemoveStaleTemporaries must recognise them and nothing else.
const QByteArray TemporaryPrefix = ".velloria-";
const QByteArray TemporarySuffix = ".tmp";
constexpr int TemporaryRandomLength = 8;
// As many links as the system follows before it reports a loop.
constexpr int MaxLinks = 40;

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor when the scope ends.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : FFd(fd) {}
    ~TFileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return FFd; }
    int Release() { return std::exchange(FFd, -1); }

private:
    int FFd;
};

QByteArray FolderOf(const QByteArray& path) {
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray FollowLinks(QByteArray path) {
    for (int i = 0; i < MaxLinks; ++i) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0 || size_t(length) >= sizeof target)
            return path;
        const QByteArray link(target, length);
        path = link.startsWith('/') ? link : FolderOf(path) + link;
    }
    return path;
}

// Writes everything, going on after partial writes; false with errno set on failure.
bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

QByteArray RandomLetters() {
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray result(TemporaryRandomLength, '\0');
    for (char& c : result)
        c = Letters[QRandomGenerator::system()->bounded(int(sizeof Letters - 1))];
    return result;
}

bool IsTemporaryName(const QByteArray& name) {
    if (name.size() != TemporaryPrefix.size() + TemporaryRandomLength + TemporarySuffix.size() ||
        !name.startsWith(TemporaryPrefix) || !name.endsWith(TemporarySuffix))
        return false;
    for (char c : name.mid(TemporaryPrefix.size(), TemporaryRandomLength))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Creates a new temporary in folder with the given mode (less the umask) and locks it; -1 with
// errno set on failure. A cleaner may remove the file between its creation and the lock: the
// link count then shows it, and a new name is tried.
int CreateTemporary(const QByteArray& folder, mode_t mode, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + TemporaryPrefix + RandomLetters() + TemporarySuffix;
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return -1;
        struct stat info {};
        // Without lock support the save still works; it only loses the cleaner's protection.
        if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &info) == 0 && info.st_nlink > 0))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Fills the open temporary, flushes it and renames it over target; false with errno set.
bool Replace(int fd, const QByteArray& temporary, const QByteArray& target, const QByteArray& data,
             const struct stat* existing) {
    if (existing && ::fchmod(fd, existing->st_mode & 07777) != 0)
        return false;
    return WriteAll(fd, data.constData(), data.size()) && ::fsync(fd) == 0 &&
           ::rename(temporary.constData(), target.constData()) == 0;
}

// Removes path when it is a regular file that nobody holds locked.
void RemoveWhenUnlocked(const QByteArray& path) {
    const TFileDescriptor fd(
        ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    struct stat named {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return;
    // The name must still be the file that was locked.
    if (::lstat(path.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino)
        ::unlink(path.constData());
}

EReadError ReadError(const QString& fileName, int error) {
    return EReadError(
        QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, SystemReason(error)));
}

EFOpenError NoFileError(const QString& fileName) {
    return EFOpenError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, SystemReason(ENOENT)));
}

// The open descriptor of the regular file and its size, or -1 when nothing is at that path;
// raises EFOpenError as ReadWholeFile does.
int OpenRegularFile(const QString& fileName, qint64& size) {
    const auto openError = [&](const QString& reason) {
        return EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
    };
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    TFileDescriptor fd(
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0 && (errno == ENOENT || errno == ENOTDIR))
        return -1;
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0)
        throw openError(SystemReason(errno));
    if (S_ISDIR(info.st_mode))
        throw openError(QStringLiteral("It is a folder, not a file."));
    if (!S_ISREG(info.st_mode))
        throw openError(QStringLiteral("It is not a regular file."));
    // A regular file is read the usual way, waiting for slow storage.
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    size = info.st_size;
    return fd.Release();
}
} // namespace

bool ReadWholeFile(const QString& fileName, QByteArray& data, qint64 maxBytes) {
    qint64 size = 0;
    const TFileDescriptor fd(OpenRegularFile(fileName, size));
    if (fd.Get() < 0)
        return false;
    const auto tooLarge = [&](qint64 bytes) { return maxBytes >= 0 && bytes > maxBytes; };
    if (tooLarge(size))
        throw ReadError(fileName, EFBIG);
    QByteArray content;
    content.reserve(qsizetype(size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw ReadError(fileName, errno);
        if (got == 0)
            break;
        // A file that grows while it is read is held to the same bound.
        if (tooLarge(content.size() + got))
            throw ReadError(fileName, EFBIG);
        content.append(buffer, got);
    }
    data = content;
    return true;
}

QByteArray ReadExistingFile(const QString& fileName, qint64 maxBytes) {
    QByteArray data;
    if (!ReadWholeFile(fileName, data, maxBytes))
        throw NoFileError(fileName);
    return data;
}

int OpenFileForReading(const QString& fileName) {
    qint64 size = 0;
    return OpenRegularFile(fileName, size);
}

QString FinalTarget(const QString& fileName) {
    return QFile::decodeName(FollowLinks(QFile::encodeName(fileName)));
}

bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString& reason) {
    const QByteArray target = FollowLinks(QFile::encodeName(fileName));
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (!exists && errno == ELOOP) {
        reason = SystemReason(ELOOP);
        return false;
    }
    QByteArray temporary;
    const int fd =
        CreateTemporary(FolderOf(target), exists ? existing.st_mode & 07777 : 0666, temporary);
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    // The descriptor stays open, and so locked, until after the rename.
    const bool replaced = Replace(fd, temporary, target, data, exists ? &existing : nullptr);
    const int error = errno;
    if (!replaced)
        ::unlink(temporary.constData());
    ::close(fd);
    if (!replaced)
        reason = SystemReason(error);
    return replaced;
}

void RemoveStaleTemporaries(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray bytes = QFile::encodeName(name);
        if (IsTemporaryName(bytes))
            RemoveWhenUnlocked(QFile::encodeName(dir.filePath(name)));
    }
}

// ---- TFilePieces ----

TFilePieces::TFilePieces(const QString& fileName) : FFileName(fileName) {
    FFd = OpenRegularFile(fileName, FSize);
    if (FFd < 0)
        throw NoFileError(fileName);
}

TFilePieces::~TFilePieces() {
    ::close(FFd);
}

QByteArray TFilePieces::ReadAt(quint64 offset, quint64 size) const {
    if (offset >= quint64(FSize))
        return {};
    QByteArray piece(qsizetype(std::min(size, quint64(FSize) - offset)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < piece.size()) {
        const ssize_t got =
            ::pread(FFd, piece.data() + done, size_t(piece.size() - done), off_t(offset) + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw ReadError(FFileName, errno);
        if (got == 0)
            break;
        done += got;
    }
    piece.truncate(done);
    return piece;
}
