#include "ProcessRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>

namespace {
// The kernel keeps the first 15 bytes of a program's name.
const int CommandNameLength = 15;

bool RunsProgram(qint64 pid, const QString& program) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return false;
    const QByteArray name = comm.readAll().trimmed();
    return !name.isEmpty() &&
           name == QFile::encodeName(QFileInfo(program).fileName()).left(CommandNameLength);
}
} // namespace

qint64 TDetachedProcessRunner::Start(const QString& program, const QStringList& arguments) {
    qint64 pid = 0;
    return QProcess::startDetached(program, arguments, QString(), &pid) ? pid : 0;
}

void TDetachedProcessRunner::Stop(qint64 pid, const QString& program) {
    if (pid > 0 && RunsProgram(pid, program))
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}
