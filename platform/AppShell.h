#pragma once
// The application shell around QApplication: title and help file, the main form, the standard
// error report for exceptions raised while the loop runs, the idle notification, the last-chance
// report, and closing the main form on SIGTERM, SIGINT and SIGHUP.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <exception>
#include <memory>

class QSocketNotifier;

// From now on, for the rest of the process, SIGTERM, SIGINT and SIGHUP only record a termination
// request; the event loop that runs (or the next one to run) closes the main form. Call it first
// in main, so that no moment of start-up dies by the signal and no save is cut short. Calling it
// again does nothing; if the signal pipe cannot be made, the signals keep their default action.
void CatchTerminationSignals();
// True once one of those signals has arrived.
bool TerminationRequested();

// The QApplication whose event delivery is the last exception boundary: an exception that
// escapes a handler, standard or not, goes to the standard error report and the loop goes on.
class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv);
    // Delivers the event as QApplication does; false when its handler raised.
    bool notify(QObject* receiver, QEvent* event) override;
};

class TApplication : public QObject {
    Q_OBJECT
public:
    // Takes the running QApplication's event dispatcher for the idle notification, and watches
    // for the termination signals once CatchTerminationSignals has run.
    TApplication();
    ~TApplication() override;

    QString Title;
    QString HelpFile;
    // The first form created; closing it ends the event loop.
    QPointer<QWidget> MainForm;

    // Shows the exception's message in a message box (the standard error report); the loop
    // goes on. While a paint event is delivered the box waits until the paint has returned.
    void HandleException(const std::exception& error);
    // Runs the event loop until the main form closes.
    int Run();

signals:
    // The message queue became empty.
    void Idle();

private:
    void ShowError(const QString& message);
    void OnTerminationSignal();
    std::unique_ptr<QSocketNotifier> FSignalNotifier;
};

// The one application shell, or null before it is created.
extern TApplication* Application;

// Hands the exception to the application's standard error report, or writes its message to
// standard error when there is no application shell.
void ReportException(const std::exception& error);
// The same for an exception that is no standard exception, with a generic message.
void ReportUnknownException();

// Runs the action; an exception it raises, of any type, goes to the standard error report
// instead of crossing the Qt frame that called us.
template <typename Action> void Guarded(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportUnknownException();
    }
}

// The text of the last-chance report: "Exception %s in module %s at %p." and the message.
QString LastChanceText(const std::exception& error);
// Shows the last-chance report: always on standard error, and in a message box titled
// "Application Error" when a display is open and no termination was asked for; a termination
// signal closes that box.
void ShowLastChance(const std::exception& error);
// Tells the person something that goes wrong as the program ends: always on standard error, and
// in a box of the given icon and title when a display is open and no termination was asked for
// (a logout does not wait for a box); a termination signal closes that box.
void ShowClosingReport(QMessageBox::Icon icon, const QString& title, const QString& text);
// True when an X or Wayland display can be opened (or Qt was told to use another platform).
bool DisplayAvailable();
