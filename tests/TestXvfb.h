#pragma once
// A private Xvfb server for tests that need a real X display; stopped when the object goes.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

class TTestXvfb {
public:
    // Starts Xvfb on the first free display number from 140; Display() is empty when it could not.
    TTestXvfb() {
        for (int number = 140; number < 200; ++number) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
                QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            FServer.start(QStringLiteral("Xvfb"),
                          {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("800x600x24"),
                           QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
            if (!FServer.waitForStarted(5000))
                return;
            for (int i = 0; i < 100; ++i) {
                if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) {
                    FDisplay = QStringLiteral(":%1").arg(number);
                    return;
                }
                QThread::msleep(50);
            }
            return;
        }
    }
    ~TTestXvfb() {
        FServer.terminate();
        FServer.waitForFinished(5000);
    }
    const QString& Display() const { return FDisplay; }

private:
    QProcess FServer;
    QString FDisplay;
};
