#include "FBaseDialog.h"

#include "AppShell.h"
#include "LxButtons.h"
#include "LxHelp.h"
#include "SystemSounds.h"

#include <QGuiApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace {
constexpr int ButtonLeft = 275;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ValidationHelpContext = 35020;

struct TTypeRow {
    QMessageBox::Icon Icon;
    const char* Caption;
    const char* SoundAlias;
};

// One row per TMsgDlgType; a custom box takes the application's name as caption.
const TTypeRow TypeRows[] = {
    {QMessageBox::Warning, "Warning", "SystemExclamation"},
    {QMessageBox::Critical, "Error", "SystemHand"},
    {QMessageBox::Information, "Information", "SystemAsterisk"},
    {QMessageBox::Question, "Confirm", "SystemQuestion"},
    {QMessageBox::NoIcon, nullptr, "SystemAsterisk"},
};

struct TButtonRow {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard;
    int Result;
};

// In the order the box shows them; "All" has no standard button of its own.
const TButtonRow ButtonRows[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbAll, QMessageBox::NoButton, mrAll},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
};

QAbstractButton* AddButton(QMessageBox& box, const TButtonRow& row) {
    if (row.Standard == QMessageBox::NoButton)
        return box.addButton(QStringLiteral("&All"), QMessageBox::AcceptRole);
    return box.addButton(row.Standard);
}

// A Help button that opens the page of the help context and leaves the box open.
void AddHelpButton(QMessageBox& box, int helpContext) {
    QAbstractButton* help = box.addButton(QMessageBox::Help);
    // The box closes on any of its buttons' clicks; this one only opens help.
    QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(help, &QAbstractButton::clicked, &box,
                     [helpContext] { Guarded([helpContext] { OpenHelp(helpContext); }); });
}

// Enter presses OK, else Yes, else Retry; Escape presses Cancel, else No, else OK.
void ChooseDefaultAndEscape(QMessageBox& box) {
    for (auto standard : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Retry})
        if (auto* button = qobject_cast<QPushButton*>(box.button(standard))) {
            box.setDefaultButton(button);
            break;
        }
    for (auto standard : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (QAbstractButton* button = box.button(standard)) {
            box.setEscapeButton(button);
            break;
        }
}
} // namespace

TLXBaseDialog::TLXBaseDialog(QWidget* owner)
    : TLxForm(owner), BtnOk(new TLxButton(TLxButton::bkOK, this)),
      BtnCancel(new TLxButton(TLxButton::bkCancel, this)),
      BtnHelp(new TLxButton(TLxButton::bkHelp, this)) {
    SetDialogFrame(357, 205);
    setFont(FormFont(QStringLiteral("MS Shell Dlg")));
    BtnOk->setGeometry(ButtonLeft, 8, ButtonWidth, ButtonHeight);
    BtnCancel->setGeometry(ButtonLeft, 40, ButtonWidth, ButtonHeight);
    BtnHelp->setGeometry(ButtonLeft, 76, ButtonWidth, ButtonHeight);
    setTabOrder(BtnOk, BtnCancel);
    setTabOrder(BtnCancel, BtnHelp);
}

bool TLXBaseDialog::Execute() {
    SetModalResult(mrNone);
    FValidationError.clear();
    LoadData();
    if (ModalResult() != mrNone)
        return false;
    const int result = ShowModal();
    const bool accepted = result == mrOk || result == mrYes;
    if (accepted)
        SaveData();
    return accepted;
}

bool TLXBaseDialog::CloseQuery() {
    if (ModalResult() != mrOk || ValidateData())
        return true;
    if (!FValidationError.isEmpty())
        ShowWarningFmt(QStringLiteral("Dialog Validation Error:\r%1\rPlease make the appropriate "
                                      "correction."),
                       {FValidationError}, ValidationHelpContext);
    return false;
}

void TLXBaseDialog::SetClientSize(int clientWidth, int clientHeight) {
    const int shift = clientWidth - width();
    for (TLxButton* button : {BtnOk, BtnCancel, BtnHelp})
        button->move(button->x() + shift, button->y());
    setFixedSize(clientWidth, clientHeight);
}

QString FormatMessage(const QString& format, const QStringList& arguments) {
    QString text;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const int number = i + 1 < format.size() ? format[i + 1].digitValue() : -1;
        if (format[i] == QLatin1Char('%') && number >= 1 && number <= arguments.size()) {
            text += arguments[number - 1];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

int ShowMessageBox(TMsgDlgType type, const QString& text, int helpContext, TMsgDlgButtons buttons) {
    const TTypeRow& typeRow = TypeRows[type];
    QMessageBox box(typeRow.Icon,
                    typeRow.Caption ? QString::fromLatin1(typeRow.Caption)
                                    : QGuiApplication::applicationDisplayName(),
                    text);
    box.setTextFormat(Qt::PlainText);
    SetHelpContext(&box, helpContext);
    QHash<QAbstractButton*, int> results;
    for (const TButtonRow& row : ButtonRows)
        if (buttons.testFlag(row.Button))
            results.insert(AddButton(box, row), row.Result);
    if (helpContext > 0 || buttons.testFlag(mbHelp))
        AddHelpButton(box, helpContext);
    ChooseDefaultAndEscape(box);
    PlayMessageSound(type);
    box.exec();
    return results.value(box.clickedButton(), mrCancel);
}

int ShowMessageBoxFmt(TMsgDlgType type, const QString& format, const QStringList& arguments,
                      int helpContext) {
    return ShowMessageBox(type, FormatMessage(format, arguments), helpContext, mbOK);
}

int ShowWarningFmt(const QString& format, const QStringList& arguments, int helpContext) {
    return ShowMessageBoxFmt(mtWarning, format, arguments, helpContext);
}

bool Confirm(const QString& text, int helpContext) {
    return ShowMessageBox(mtConfirmation, text, helpContext, mbYes | mbNo) == mrYes;
}

void PlayMessageSound(TMsgDlgType type) {
    PlaySystemSound(QString::fromLatin1(TypeRows[type].SoundAlias));
}
