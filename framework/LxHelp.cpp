#include "LxHelp.h"

#include "AppShell.h"
#include "FBaseDialog.h"
#include "Help.h"
#include "LxForms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace {
// Watches every key press of the application for F1.
class THelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        bool handled = false;
        Guarded([&] { handled = HelpKeyPressed(watched, *event); });
        return handled;
    }

private:
    static bool HelpKeyPressed(QObject* watched, QEvent& event) {
        if (event.type() != QEvent::KeyPress)
            return false;
        const auto& key = static_cast<QKeyEvent&>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key.key() != Qt::Key_F1 || key.modifiers() != Qt::NoModifier || !widget)
            return false;
        const int context = NearestHelpContext(widget);
        if (context == 0)
            return false;
        OpenHelp(context);
        return true;
    }
};
} // namespace

void OpenHelp(int context) {
    if (ShowHelpContext(context))
        return;
    ShowMessageBox(mtError,
                   QStringLiteral("No program could be found to show the help page\n%1\n"
                                  "Open it in a web browser.")
                       .arg(HelpPageUrl(context).toLocalFile()),
                   0, mbOK);
}

void InstallHelpKey() {
    // Owned by the application, so that a new application object gets its own.
    static QPointer<THelpKey> installed;
    if (installed || !qApp)
        return;
    installed = new THelpKey(qApp);
    qApp->installEventFilter(installed);
}
