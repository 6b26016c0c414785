#include "LxForms.h"

#include "AppShell.h"
#include "LxHelp.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVariant>

namespace {
const char* const HelpContextName = "HelpContext";

// The visible, enabled button of the form whose "Cancel" property is set, or null.
QAbstractButton* CancelButtonOf(const QWidget* form) {
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>())
        if (button->property("Cancel").toBool() && button->isVisible() && button->isEnabled())
            return button;
    return nullptr;
}

// fontconfig here may map the Windows dialog families to another sans face; Liberation Sans has
// their metrics, so the forms keep the sizes they were laid out for.
void SubstituteDialogFamilies() {
    static const bool done = [] {
        for (const char* family : {"Arial", "Tahoma", "MS Shell Dlg"})
            QFont::insertSubstitution(QLatin1String(family), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(done);
}
} // namespace

int GetHelpContext(const QWidget* widget) {
    return widget ? widget->property(HelpContextName).toInt() : 0;
}

void SetHelpContext(QWidget* widget, int context) {
    widget->setProperty(HelpContextName, context);
    InstallHelpKey();
}

int NearestHelpContext(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        if (const int context = GetHelpContext(widget))
            return context;
    return 0;
}

QFont FormFont(const QString& family) {
    SubstituteDialogFamilies();
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

void PlaceAtMainFormCentre(QWidget* form) {
    QRect area;
    if (Application && Application->MainForm)
        area = Application->MainForm->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    const QSize size = form->frameGeometry().size();
    if (area.isValid())
        form->move(area.x() + (area.width() - size.width()) / 2,
                   area.y() + (area.height() - size.height()) / 2);
}

TLxForm::TLxForm(QWidget* owner) : QDialog(owner) {}

void TLxForm::SetModalResult(int result) {
    FModalResult = result;
    if (result != mrNone && isVisible())
        QMetaObject::invokeMethod(
            this, [this] { Guarded([this] { CheckModalResult(); }); }, Qt::QueuedConnection);
}

void TLxForm::SetHelpContext(int context) {
    FHelpContext = context;
    InstallHelpKey();
}

void TLxForm::CheckModalResult() {
    if (FModalResult != mrNone && isVisible())
        CloseWith(FModalResult);
}

int TLxForm::ShowModal() {
    return exec();
}

void TLxForm::done(int result) {
    Guarded([&] { CloseWith(result); });
}

void TLxForm::CloseWith(int result) {
    FModalResult = result;
    bool mayClose = false;
    try {
        mayClose = CloseQuery();
    } catch (...) {
        FModalResult = mrNone;
        throw;
    }
    if (!mayClose) {
        FModalResult = mrNone;
        return;
    }
    QDialog::done(result);
}

void TLxForm::SetDialogFrame(int clientWidth, int clientHeight) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientWidth, clientHeight);
}

void TLxForm::keyPressEvent(QKeyEvent* event) {
    Guarded([&] {
        QAbstractButton* cancel = nullptr;
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            cancel = CancelButtonOf(this);
        if (cancel)
            cancel->click();
        else
            QDialog::keyPressEvent(event);
    });
}

void TLxForm::showEvent(QShowEvent* event) {
    Guarded([&] {
        if (!event->spontaneous())
            PlaceAtMainFormCentre(this);
        QDialog::showEvent(event);
    });
}
