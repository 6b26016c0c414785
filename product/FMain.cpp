#include "FMain.h"

#include "AppShell.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace {
constexpr int ClientWidth = 646;
constexpr int ClientHeight = 524;
} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Velloria"));
    resize(ClientWidth, ClientHeight);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    Guarded([event] {
        event->accept();
        QCoreApplication::quit();
    });
}
