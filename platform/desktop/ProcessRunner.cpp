#include "ProcessRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The kernel keeps the first 15 bytes of a program's name.
const int CommandNameLength = 15;
// Fields of /proc/PID/stat counted from the state (field 3), which follows the name in brackets.
const int StartTimeAfterState = 22 - 3;

QString ProcFile(qint64 pid, const char* name) {
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name));
}

bool RunsProgram(qint64 pid, const QString& program) {
    QFile comm(ProcFile(pid, "comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return false;
    const QByteArray name = comm.readAll().trimmed();
    return !name.isEmpty() &&
           name == QFile::encodeName(QFileInfo(program).fileName()).left(CommandNameLength);
}

bool OwnedByUs(qint64 pid) {
    struct stat info {};
    return ::stat(QFile::encodeName(ProcFile(pid, "")).constData(), &info) == 0 &&
           info.st_uid == ::getuid();
}
} // namespace

TProcessId ProcessIdOf(qint64 pid) {
    QFile stat(ProcFile(pid, "stat"));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return {};
    // The name may hold blanks and brackets: the fields start after its last ")".
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() <= StartTimeAfterState || fields[0] == "Z")
        return {};
    return {pid, fields[StartTimeAfterState].toULongLong()};
}

bool OwnProcess(const TProcessId& process, const QString& program) {
    const TProcessId now = ProcessIdOf(process.Pid);
    return now.Pid != 0 && (process.StartTime == 0 || now.StartTime == process.StartTime) &&
           OwnedByUs(process.Pid) && RunsProgram(process.Pid, program);
}

TProcessId TDetachedProcessRunner::Start(const QString& program, const QStringList& arguments,
                                         const QString& errorFile) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(errorFile.isEmpty() ? QProcess::nullDevice() : errorFile,
                                 QIODevice::Append);
    qint64 pid = 0;
    return process.startDetached(&pid) ? ProcessIdOf(pid) : TProcessId();
}

bool TDetachedProcessRunner::Running(const TProcessId& process) {
    return process.Pid != 0 && ProcessIdOf(process.Pid) == process;
}

void TDetachedProcessRunner::Stop(const TProcessId& process, const QString& program) {
    if (OwnProcess(process, program))
        ::kill(static_cast<pid_t>(process.Pid), SIGTERM);
}
