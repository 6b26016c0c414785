#pragma once
// The real programs the desktop tests talk to, each started by the test and stopped after it:
// a private D-Bus session bus, an X server (Xvfb), and one-shot command-line tools.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Runs a program to its end (at most 10 s) and gives back its standard output, trimmed.
// exitCode is -1 when it could not be run or did not finish in time.
QString
RunProgram(const QString& program, const QStringList& arguments, int& exitCode,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Starts a long-running peer and reads the first line it prints (an address, a display number).
class TPeerProcess {
public:
    TPeerProcess(const QString& program, const QStringList& arguments,
                 const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~TPeerProcess();
    // The first line the peer printed, or empty when it did not start or print within 10 s.
    const QString& FirstLine() const { return FFirstLine; }

private:
    QProcess FProcess;
    QString FFirstLine;
};

// A dbus-daemon with a session configuration, for one test suite.
class TPrivateBus {
public:
    TPrivateBus();
    // The bus address; empty when the daemon did not start.
    QString Address() const { return FDaemon.FirstLine(); }
    // The environment of a program that should use this bus.
    QProcessEnvironment Environment() const;

private:
    TPeerProcess FDaemon;
};

// An Xvfb with the given screens ("48x32x24" ...) that keeps its state when clients leave.
class TVirtualDisplay {
public:
    explicit TVirtualDisplay(const QStringList& screens);
    // ":N", or empty when the server did not start.
    QString Name() const;

private:
    TPeerProcess FServer;
};

// A headless sway (software rendering, no input devices) with its own runtime folder, run as
// "nobody" when we are root, since sway refuses to run as root.
class THeadlessSway {
public:
    explicit THeadlessSway(const QString& resolution);
    ~THeadlessSway();
    // The environment of a Wayland client of this compositor; empty when sway did not start.
    const QProcessEnvironment& ClientEnvironment() const { return FClientEnvironment; }

private:
    QTemporaryDir FRuntime;
    QProcess FProcess;
    QProcessEnvironment FClientEnvironment;
};

// Waits up to 10 s, processing events, until the condition holds; false when it never did.
bool WaitFor(const std::function<bool()>& condition);
