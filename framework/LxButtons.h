#pragma once
// The framework's push button: its kind sets the caption, the modal result it gives its form and
// whether it is the form's default (Enter) or cancel (Escape) button; a Help button opens help
// and a Close button closes its form.

#include <QPushButton>

class TLxButton : public QPushButton {
    Q_OBJECT
public:
    enum TKind {
        bkCustom,
        bkOK,
        bkCancel,
        bkHelp,
        bkYes,
        bkNo,
        bkClose,
        bkAbort,
        bkRetry,
        bkIgnore,
        bkAll
    };
    Q_ENUM(TKind)

private:
    Q_PROPERTY(TKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)

public:
    // A button of kind bkCustom: no caption, modal result mrNone, neither default nor cancel.
    explicit TLxButton(QWidget* parent = nullptr);
    // A button of the given kind.
    TLxButton(TKind kind, QWidget* parent);

    // The kind; bkCustom (and stored so) once Default, Cancel or ModalResult no longer match
    // the kind's row.
    TKind Kind();
    // Sets the kind's caption, modal result, Default and Cancel; bkCustom changes only the kind.
    // Setting the current kind does nothing.
    void SetKind(TKind kind);

    // The button Enter clicks on its form.
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    // The button Escape clicks on its form.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    // The result the click gives the form (TLxForm's mrNone ... mrYesToAll).
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    // The text on the button; "&" marks the access key.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

signals:
    // The button's click event: runs after a click gave the form the button's modal result;
    // never for a Help button that found a help context, nor for a Close button on a form.
    void Click();

private:
    // A Help button opens the page of the nearest help context (the button's own or a
    // parent's); a Close button closes its form; otherwise the TLxForm it sits on gets the
    // button's modal result (mrNone included) and Click runs.
    void OnClicked();
    bool MatchesKind() const;

    TKind FKind = bkCustom;
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};
