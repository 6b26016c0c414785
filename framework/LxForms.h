#pragma once
// The framework's base form, the modal results its buttons give, and the help contexts of
// windows and controls.
//
// Help contexts: every widget may carry one as the Qt property "HelpContext" (an int; missing or
// 0 means none). TLxForm declares it as a real property; any other widget gets it as a dynamic
// property through SetHelpContext. NearestHelpContext finds the one help opens for a control.

#include <QDialog>
#include <QFont>

class QKeyEvent;
class QShowEvent;
class QWidget;

// The result a modal form closes with; each button kind gives one of these.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

// The widget's help context; 0 for none (null widget included).
int GetHelpContext(const QWidget* widget);
// Gives the widget a help context (0 removes it); from then on F1 opens help (InstallHelpKey).
void SetHelpContext(QWidget* widget, int context);
// The first non-zero help context found on the widget or, going up, on its parents; 0 when
// none has one.
int NearestHelpContext(const QWidget* widget);

// The named font family at 11 pixels, the size of the windows' 8-point fonts. Arial, Tahoma and
// MS Shell Dlg resolve to Liberation Sans; fontconfig substitutes any other family it lacks.
QFont FormFont(const QString& family);
// Moves the top-level widget so that its centre is the centre of the application's main form,
// or of the primary screen when there is no main form.
void PlaceAtMainFormCentre(QWidget* form);

// A modal form with a modal result: a non-zero result closes a shown form once its close query
// agrees, and the close box and Escape close it with mrCancel. Escape clicks the form's
// Cancel button (a TLxButton with Cancel set) when it has one. Placed at the centre of the main
// form whenever it is shown.
class TLxForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int HelpContext READ HelpContext WRITE SetHelpContext)
public:
    // A hidden form, owned by owner when one is given.
    explicit TLxForm(QWidget* owner = nullptr);

    // The form's help context, the page its Help buttons open; 0 for none.
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int context);

    // The result the form is closing or closed with; mrNone while it stays open.
    int ModalResult() const { return FModalResult; }
    // Stores the result. Once the event being handled is done, a shown form whose result is
    // still non-zero asks its close query and closes with it, or resets it to mrNone when the
    // query refuses; so a click handler that runs after the button set the result may still
    // change it.
    void SetModalResult(int result);
    // Shows the form modally until it closes; gives back its modal result.
    int ShowModal();

    // Every way of closing ends here: the result becomes the modal result and the form closes
    // only when CloseQuery agrees; an exception from the query is reported, the form stays.
    void done(int result) override;
    void accept() override { done(mrOk); }
    void reject() override { done(mrCancel); }

protected:
    // Whether the form may close with its current ModalResult; the base always agrees.
    virtual bool CloseQuery() { return true; }
    // A dialog border (fixed size, only the close box and system menu) around a client area of
    // the given size.
    void SetDialogFrame(int clientWidth, int clientHeight);

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CloseWith(int result);
    // Closes a shown form whose modal result is non-zero.
    void CheckModalResult();
    int FHelpContext = 0;
    int FModalResult = mrNone;
};
