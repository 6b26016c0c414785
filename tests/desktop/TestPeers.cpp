#include "TestPeers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

namespace {
const int PeerTimeoutMs = 10000;
const uid_t NobodyId = 65534;
} // namespace

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

THeadlessSway::THeadlessSway(const QString& resolution) {
    QFile config(FRuntime.filePath(QStringLiteral("config")));
    if (!config.open(QIODevice::WriteOnly))
        return;
    config.write("output HEADLESS-1 resolution " + resolution.toLatin1() + "\n");
    config.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime.path());
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DISPLAY"));
    FProcess.setProcessEnvironment(environment);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QStringList sway = {QStringLiteral("sway"), QStringLiteral("-c"), config.fileName()};
    if (::geteuid() == 0) {
        ::chown(QFile::encodeName(FRuntime.path()).constData(), NobodyId, NobodyId);
        FProcess.start(QStringLiteral("setpriv"),
                       QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups")} +
                           sway);
    } else {
        FProcess.start(sway.first(), sway.mid(1));
    }
    // The compositor's socket is "wayland-N" beside its "wayland-N.lock".
    QStringList sockets;
    WaitFor([&] {
        sockets = QDir(FRuntime.path())
                      .entryList({QStringLiteral("wayland-*")}, QDir::System)
                      .filter(QRegularExpression(QStringLiteral("^wayland-\\d+$")));
        return !sockets.isEmpty() || FProcess.state() == QProcess::NotRunning;
    });
    if (sockets.isEmpty() || FProcess.state() == QProcess::NotRunning)
        return;
    FClientEnvironment = environment;
    FClientEnvironment.insert(QStringLiteral("WAYLAND_DISPLAY"), sockets.first());
}

THeadlessSway::~THeadlessSway() {
    FProcess.terminate();
    if (!FProcess.waitForFinished(PeerTimeoutMs))
        FProcess.kill();
    FProcess.waitForFinished(PeerTimeoutMs);
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
