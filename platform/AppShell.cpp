#include "AppShell.h"

#include "Exception.h"
#include "ProgramFile.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

TApplication* Application = nullptr;

namespace {
int SignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(SignalPipe[1], &byte, 1);
}

QString ClassNameOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->ClassName();
    return QStringLiteral("std::exception");
}

QString MessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Message();
    return QString::fromUtf8(error.what());
}
} // namespace

TApplication::TApplication() {
    Application = this;
    // Only the main form's closing ends the loop, not the closing of the last message box.
    QApplication::setQuitOnLastWindowClosed(false);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TApplication::Idle);
}

TApplication::~TApplication() {
    if (FSignalNotifier) {
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            std::signal(sig, SIG_DFL);
        ::close(SignalPipe[0]);
        ::close(SignalPipe[1]);
    }
    Application = nullptr;
}

void TApplication::HandleException(const std::exception& error) {
    QMessageBox::critical(MainForm ? MainForm.data() : nullptr, Title, MessageOf(error));
}

void TApplication::InstallTerminationSignals() {
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    FSignalNotifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    connect(FSignalNotifier.get(), &QSocketNotifier::activated, this,
            &TApplication::OnTerminationSignal);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, OnSignal);
}

void TApplication::OnTerminationSignal() {
    char buffer[16];
    while (::read(SignalPipe[0], buffer, sizeof buffer) > 0) {
    }
    if (MainForm)
        MainForm->close();
    else
        QCoreApplication::quit();
}

int TApplication::Run() {
    return QApplication::exec();
}

QString LastChanceText(const std::exception& error) {
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4")
        .arg(ClassNameOf(error), ExtractFileName(ProgramFilePath()),
             QStringLiteral("%1").arg(reinterpret_cast<quintptr>(&error), 16, 16, QLatin1Char('0')),
             MessageOf(error));
}

void ShowLastChance(const std::exception& error) {
    const QString text = LastChanceText(error);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QMessageBox::critical(nullptr, QStringLiteral("Application Error"), text);
}

bool DisplayAvailable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}
