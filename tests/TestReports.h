#pragma once
// Reads the standard error reports (modal message boxes) as a person would, for tests of what
// reaches the application's error report.

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Reads each standard error report and dismisses it. The reports are modal, so the reader runs
// inside their own loop, checking for a box as the loop turns.
class TReportReader {
public:
    static constexpr int Deadline = 5000;

    TReportReader() {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts << box->text();
                Titles << box->windowTitle();
                box->accept();
            }
        });
        FTimer.start(10);
    }
    // Runs a real loop, one that goes idle, until count reports were read or the deadline passed.
    bool WaitForReport(int count = 1) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (Texts.size() >= count)
                loop.quit();
        });
        check.start(10);
        QTimer::singleShot(Deadline, &loop, &QEventLoop::quit);
        loop.exec();
        return Texts.size() >= count;
    }
    QStringList Texts;
    QStringList Titles;

private:
    QTimer FTimer;
};
