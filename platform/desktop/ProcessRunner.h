#pragma once
// Starting and stopping the helper programs some desktops need (swaybg), behind an interface so
// that the adapters' use of it can be watched.

#include <QString>
#include <QStringList>

// One process, told apart from a later one that reuses its pid by its start time (clock ticks
// after boot, field 22 of /proc/PID/stat). A start time of 0 means unknown (an old state file).
struct TProcessId {
    qint64 Pid = 0; // 0: no process
    quint64 StartTime = 0;
    bool operator==(const TProcessId&) const = default;
};

class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // Starts the program detached from us (it outlives this process), its standard input and
    // output on /dev/null and its standard error appended to errorFile, so that nobody waiting
    // for our output waits for it too. A Pid of 0 when it could not be started or ended at once.
    virtual TProcessId Start(const QString& program, const QStringList& arguments,
                             const QString& errorFile) = 0;
    // True while that very process runs (not ended, not a zombie).
    virtual bool Running(const TProcessId& process) = 0;
    // Asks the process to end (SIGTERM), but only when it is ours (OwnProcess): a pid from an
    // earlier session may belong to something or someone else by now.
    virtual void Stop(const TProcessId& process, const QString& program) = 0;
};

// True when the pid runs the named program, belongs to this user and, where the start time is
// known, is the very process that was started then.
bool OwnProcess(const TProcessId& process, const QString& program);

// The process's identity as /proc shows it now; a Pid of 0 when it is gone or a zombie.
TProcessId ProcessIdOf(qint64 pid);

// The real runner: QProcess::startDetached and kill.
class TDetachedProcessRunner : public IProcessRunner {
public:
    TProcessId Start(const QString& program, const QStringList& arguments,
                     const QString& errorFile) override;
    bool Running(const TProcessId& process) override;
    void Stop(const TProcessId& process, const QString& program) override;
};
