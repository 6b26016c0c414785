#pragma once
// The application shell around QApplication: title and help file, the main form, the standard
// error report for exceptions raised while the loop runs, the idle notification, the last-chance
// report, and closing the main form on SIGTERM, SIGINT and SIGHUP.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <memory>

class QSocketNotifier;

class TApplication : public QObject {
    Q_OBJECT
public:
    // Takes the running QApplication's event dispatcher for the idle notification.
    TApplication();
    ~TApplication() override;

    QString Title;
    QString HelpFile;
    // The first form created; closing it ends the event loop.
    QPointer<QWidget> MainForm;

    // Shows the exception's message in a message box (the standard error report); the loop
    // goes on. Called by every entry point that Qt calls.
    void HandleException(const std::exception& error);
    // From now on SIGTERM, SIGINT and SIGHUP close the main form as its close button would.
    void InstallTerminationSignals();
    // Runs the event loop until the main form closes.
    int Run();

signals:
    // The message queue became empty.
    void Idle();

private:
    void OnTerminationSignal();
    std::unique_ptr<QSocketNotifier> FSignalNotifier;
};

// The one application shell, or null before it is created.
extern TApplication* Application;

// Runs the action; an exception it raises goes to the standard error report instead of
// crossing the Qt frame that called us.
template <typename Action> void Guarded(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        if (Application)
            Application->HandleException(error);
    }
}

// The text of the last-chance report: "Exception %s in module %s at %p." and the message.
QString LastChanceText(const std::exception& error);
// Shows the last-chance report: a message box titled "Application Error" when a display is
// open, and always the same text on standard error.
void ShowLastChance(const std::exception& error);
// True when an X or Wayland display can be opened (or Qt was told to use another platform).
bool DisplayAvailable();
