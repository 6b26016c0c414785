#pragma once
// The base of the framework's modal dialogs with their OK / Cancel / Help protocol, and the
// message boxes with their sounds.

#include "LxForms.h"

#include <QFlags>
#include <QStringList>

class TLxButton;

// Loads the values into the controls, shows the dialog, validates on OK and saves the values
// back. A dialog border around a 357 × 205 client area at the centre of the main form, with OK,
// Cancel and Help in a column at the right edge.
class TLXBaseDialog : public TLxForm {
    Q_OBJECT
public:
    // The dialog with its three buttons, hidden; the caption and help context are the derived
    // dialog's.
    explicit TLXBaseDialog(QWidget* owner = nullptr);

    TLxButton* BtnOk;
    TLxButton* BtnCancel;
    TLxButton* BtnHelp;

    // Clears the modal result and FValidationError, calls LoadData and, when LoadData left the
    // modal result at mrNone, shows the dialog modally. True, after SaveData, when it closed with
    // mrOk or mrYes; false without showing when LoadData set a result. Exceptions from LoadData
    // and SaveData pass through.
    bool Execute();

protected:
    // Copies the values to edit into the controls; the base does nothing.
    virtual void LoadData() {}
    // Copies the controls' values back; the base does nothing.
    virtual void SaveData() {}
    // True when the entered values may be accepted; the base accepts. A refusal may say why in
    // FValidationError.
    virtual bool ValidateData() { return true; }

    // Closing with mrOk asks ValidateData; a refusal keeps the dialog open, after the validation
    // warning (help context 35020) when FValidationError says why. Any other result closes.
    bool CloseQuery() override;
    // Resizes the client area; the buttons keep their distance to the right edge.
    void SetClientSize(int clientWidth, int clientHeight);

    QString FValidationError;
};

// The kind of a message box: its icon, caption and sound.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a message box may show.
enum TMsgDlgBtn {
    mbYes = 0x1,
    mbNo = 0x2,
    mbOK = 0x4,
    mbCancel = 0x8,
    mbAbort = 0x10,
    mbRetry = 0x20,
    mbIgnore = 0x40,
    mbAll = 0x80,
    mbNoToAll = 0x100,
    mbYesToAll = 0x200,
    mbHelp = 0x400,
};
Q_DECLARE_FLAGS(TMsgDlgButtons, TMsgDlgBtn)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDlgButtons)

// The text with each "%1" … "%9" replaced by that argument, in one pass; a placeholder without
// an argument stays as written.
QString FormatMessage(const QString& format, const QStringList& arguments);

// Shows a modal message box of the type with the text and buttons, centred on the screen, and
// plays the type's sound. A help context above 0 adds Help, which opens that page and leaves the
// box open. Gives back the modal result of the button pressed (mrOk … mrYesToAll).
int ShowMessageBox(TMsgDlgType type, const QString& text, int helpContext, TMsgDlgButtons buttons);
// The formatted text in a box with the OK button (and Help for a help context above 0).
int ShowMessageBoxFmt(TMsgDlgType type, const QString& format, const QStringList& arguments,
                      int helpContext);
// ShowMessageBoxFmt of type mtWarning.
int ShowWarningFmt(const QString& format, const QStringList& arguments, int helpContext);
// A confirmation box with Yes and No (and Help for a help context above 0); true exactly when
// Yes was pressed.
bool Confirm(const QString& text, int helpContext);
// Starts the system sound of the type without waiting for it: the warning, error, question or
// information sound (mtCustom included); silent without a sound server.
void PlayMessageSound(TMsgDlgType type);
