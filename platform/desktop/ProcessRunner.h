#pragma once
// Starting and stopping the helper programs some desktops need (swaybg), behind an interface so
// that the adapters' use of it can be watched.

#include <QString>
#include <QStringList>

class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // Starts the program detached from us (it outlives this process); its pid, or 0 when it
    // could not be started.
    virtual qint64 Start(const QString& program, const QStringList& arguments) = 0;
    // Asks the process to end (SIGTERM), but only while that pid still runs the named program:
    // a pid from an earlier session may belong to something else by now.
    virtual void Stop(qint64 pid, const QString& program) = 0;
};

// The real runner: QProcess::startDetached and kill.
class TDetachedProcessRunner : public IProcessRunner {
public:
    qint64 Start(const QString& program, const QStringList& arguments) override;
    void Stop(qint64 pid, const QString& program) override;
};
