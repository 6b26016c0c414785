#include "AppShell.h"

#include "Exception.h"
#include "ProgramFile.h"

#include <QAbstractEventDispatcher>
#include <QMessageBox>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

TApplication* Application = nullptr;

namespace {
int SignalPipe[2] = {-1, -1};
volatile std::sig_atomic_t SignalArrived = 0;
// How many paint events are being delivered right now; a report waits until none is.
int PaintDepth = 0;

void OnSignal(int) {
    // The interrupted code (a save, say) may be about to read errno.
    const int savedErrno = errno;
    SignalArrived = 1;
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(SignalPipe[1], &byte, 1);
    errno = savedErrno;
}

// A notifier that fires when a termination signal arrives (or has arrived unseen) and empties
// the pipe first; null when the signals are not caught.
std::unique_ptr<QSocketNotifier> NewSignalNotifier() {
    if (SignalPipe[0] < 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
        Guarded([] {
            char buffer[16];
            while (::read(SignalPipe[0], buffer, sizeof buffer) > 0) {
            }
        });
    });
    return notifier;
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

void CatchTerminationSignals() {
    if (SignalPipe[0] >= 0 || ::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // Restarted system calls: a signal never cuts a read or a write of a save short.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

bool TerminationRequested() {
    return SignalArrived != 0;
}

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    const bool painting = event->type() == QEvent::Paint;
    PaintDepth += painting;
    bool handled = false;
    Guarded([&] { handled = QApplication::notify(receiver, event); });
    PaintDepth -= painting;
    return handled;
}

TApplication::TApplication() : FSignalNotifier(NewSignalNotifier()) {
    Application = this;
    // Only the main form's closing ends the loop, not the closing of the last message box.
    QApplication::setQuitOnLastWindowClosed(false);
    // The dispatcher calls the idle handlers outside any event: they need their own guard.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { Guarded([this] { emit Idle(); }); });
    if (FSignalNotifier)
        connect(FSignalNotifier.get(), &QSocketNotifier::activated, this,
                &TApplication::OnTerminationSignal);
}

TApplication::~TApplication() {
    Application = nullptr;
}

void TApplication::HandleException(const std::exception& error) {
    ShowError(MessageOf(error));
}

void TApplication::ShowError(const QString& message) {
    // A modal box inside a paint would run a nested loop in the middle of painting.
    if (PaintDepth > 0) {
        QMetaObject::invokeMethod(
            this, [this, message] { Guarded([&] { ShowError(message); }); }, Qt::QueuedConnection);
        return;
    }
    QMessageBox::critical(MainForm ? MainForm.data() : nullptr, Title, message);
}

void TApplication::OnTerminationSignal() {
    Guarded([this] {
        if (MainForm)
            MainForm->close();
        else
            QCoreApplication::quit();
    });
}

int TApplication::Run() {
    return QApplication::exec();
}

void ReportException(const std::exception& error) {
    if (Application)
        Application->HandleException(error);
    else
        std::fprintf(stderr, "%s\n", MessageOf(error).toLocal8Bit().constData());
}

void ReportUnknownException() {
    ReportException(Exception(QStringLiteral("An exception of unknown type was raised")));
}

QString LastChanceText(const std::exception& error) {
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4")
        .arg(ClassNameOf(error), ExtractFileName(ProgramFilePath()),
             QStringLiteral("%1").arg(reinterpret_cast<quintptr>(&error), 16, 16, QLatin1Char('0')),
             MessageOf(error));
}

void ShowLastChance(const std::exception& error) {
    ShowClosingReport(QMessageBox::Critical, QStringLiteral("Application Error"),
                      LastChanceText(error));
}

void ShowClosingReport(QMessageBox::Icon icon, const QString& title, const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || TerminationRequested())
        return;
    QMessageBox box(icon, title, text);
    const auto notifier = NewSignalNotifier();
    if (notifier)
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &box, &QMessageBox::reject);
    box.exec();
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
