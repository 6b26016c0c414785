#include "AppShell.h"
#include "Exception.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>

TEST(AppShell, ExceptionInAnEventHandlerIsShownAndTheLoopGoesOn) {
    TApplication shell;
    shell.Title = "Velloria";
    QString shownText;
    QString shownTitle;
    QTimer::singleShot(
        0, [&] { Guarded([] { throw EConvertError("Cannot assign a TIcon to a TBitmap"); }); });
    // The report is modal: read it as a person would, then dismiss it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shownText = box->text();
            shownTitle = box->windowTitle();
            box->accept();
        }
    });
    closer.start(20);
    bool loopWentOn = false;
    QTimer::singleShot(300, [&] {
        loopWentOn = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    EXPECT_EQ(shownText, "Cannot assign a TIcon to a TBitmap");
    EXPECT_EQ(shownTitle, "Velloria");
    EXPECT_TRUE(loopWentOn);
}

TEST(AppShell, IdleIsSignalledWhenTheQueueEmpties) {
    TApplication shell;
    int idles = 0;
    QObject::connect(&shell, &TApplication::Idle, [&] { ++idles; });
    QTimer::singleShot(50, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_GT(idles, 0);
}

TEST(AppShell, TerminationSignalClosesTheMainForm) {
    TApplication shell;
    QWidget form;
    form.show();
    shell.MainForm = &form;
    shell.InstallTerminationSignals();
    bool closed = false;
    QObject::connect(&shell, &TApplication::Idle, [&] {
        if (!form.isVisible()) {
            closed = true;
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [] { std::raise(SIGHUP); });
    QTimer::singleShot(3000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_TRUE(closed);
}

TEST(AppShell, LastChanceTextNamesClassModuleAndMessage) {
    const EReadError error("Stream read error");
    const QString text = LastChanceText(error);
    EXPECT_TRUE(text.startsWith("Exception EReadError in module platform_tests at "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(".\nStream read error")) << text.toStdString();
}
