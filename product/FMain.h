#pragma once
// The main window. Closing it ends the event loop.

#include <QMainWindow>

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};
