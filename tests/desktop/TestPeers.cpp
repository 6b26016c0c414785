#include "TestPeers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace {
const int PeerTimeoutMs = 10000;
}

QString RunProgram(const QString& program, const QStringList& arguments, int& exitCode,
                   const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(PeerTimeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(PeerTimeoutMs);
    }
    exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

TPeerProcess::TPeerProcess(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& environment) {
    FProcess.setProcessEnvironment(environment);
    FProcess.start(program, arguments);
    QDeadlineTimer deadline(PeerTimeoutMs);
    FProcess.waitForStarted(PeerTimeoutMs);
    while (!FProcess.canReadLine() && FProcess.state() == QProcess::Running &&
           !deadline.hasExpired())
        FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    if (FProcess.canReadLine())
        FFirstLine = QString::fromUtf8(FProcess.readLine()).trimmed();
}

TPeerProcess::~TPeerProcess() {
    if (FProcess.state() == QProcess::NotRunning)
        return;
    FProcess.terminate();
    if (!FProcess.waitForFinished(PeerTimeoutMs)) {
        FProcess.kill();
        FProcess.waitForFinished(PeerTimeoutMs);
    }
}

TPrivateBus::TPrivateBus()
    : FDaemon(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--print-address=1")}) {}

QProcessEnvironment TPrivateBus::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Address());
    return environment;
}

TVirtualDisplay::TVirtualDisplay(const QStringList& screens)
    : FServer(QStringLiteral("Xvfb"), [&screens] {
          QStringList arguments = {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                   QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp")};
          for (int i = 0; i < screens.size(); ++i)
              arguments << QStringLiteral("-screen") << QString::number(i) << screens[i];
          return arguments;
      }()) {}

QString TVirtualDisplay::Name() const {
    return FServer.FirstLine().isEmpty() ? QString() : QLatin1Char(':') + FServer.FirstLine();
}

bool WaitFor(const std::function<bool()>& condition) {
    QDeadlineTimer deadline(PeerTimeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}
