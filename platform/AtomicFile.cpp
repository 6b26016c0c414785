#include "AtomicFile.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
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
} // namespace

bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString& reason) {
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, data.constData(), data.size()) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    reason = QString::fromLocal8Bit(std::strerror(written && closed ? errno : writeError));
    ::unlink(temporary.constData());
    return false;
}
