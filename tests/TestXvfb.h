#pragma once
// A private Xvfb server for tests that need a real X display; stopped when the object goes.

#include <QProcess>
#include <QString>

class TTestXvfb {
public:
    // Starts Xvfb on a display number it chooses itself; Display() is empty when it could not.
    // Xvfb writes that number to its standard output once it accepts connections, so nothing
    // is scanned and nothing waits longer than it must. The screen is "WIDTHxHEIGHTxDEPTH".
    explicit TTestXvfb(const QString& screen = QStringLiteral("800x600x24")) {
        FServer.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), screen, QStringLiteral("-noreset"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!FServer.waitForStarted(10000))
            return;
        while (!FServer.canReadLine() && FServer.waitForReadyRead(20000)) {
        }
        const QByteArray line = FServer.readLine().trimmed();
        bool isNumber = false;
        line.toInt(&isNumber);
        if (isNumber)
            FDisplay = QStringLiteral(":") + QString::fromLatin1(line);
    }
    ~TTestXvfb() {
        FServer.terminate();
        FServer.waitForFinished(5000);
    }
    const QString& Display() const { return FDisplay; }
    // The server's process id, for tests that pause it.
    qint64 ProcessId() const { return FServer.processId(); }

private:
    QProcess FServer;
    QString FDisplay;
};
