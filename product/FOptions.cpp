#include "FOptions.h"

#include "Global.h"
#include "LxButtons.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QLabel>

namespace {
constexpr int OptionsHelpContext = 2000;
} // namespace

TOptionsForm::TOptionsForm(QWidget* owner)
    : TLXBaseDialog(owner), Label1(new QLabel(QStringLiteral("Thumbnail &Size:"), this)),
      Label2(new QLabel(QStringLiteral("Thumbnail &Padding:"), this)),
      edThumbSize(new TSpinEdit(this)), edThumbPadding(new TSpinEdit(this)),
      chkFlushOnExit(new QCheckBox(QStringLiteral("&Clear cache on exit"), this)) {
    setWindowTitle(QStringLiteral("Options"));
    SetHelpContext(OptionsHelpContext);
    SetClientSize(276, 112);
    Label1->move(8, 11);
    Label1->adjustSize();
    Label1->setBuddy(edThumbSize);
    Label2->move(8, 39);
    Label2->adjustSize();
    Label2->setBuddy(edThumbPadding);
    edThumbSize->setGeometry(116, 8, 61, 21);
    edThumbSize->SetIncrement(5);
    edThumbSize->SetMaxLength(4);
    edThumbPadding->setGeometry(116, 36, 61, 21);
    edThumbPadding->SetIncrement(2);
    chkFlushOnExit->setGeometry(8, 68, 169, 17);
    setTabOrder(edThumbSize, edThumbPadding);
    setTabOrder(edThumbPadding, chkFlushOnExit);
    setTabOrder(chkFlushOnExit, BtnOk);
    edThumbSize->setFocus();
    FormCreate();
}

void TOptionsForm::FormCreate() {
    edThumbSize->SetMinValue(MinThumbSize);
    edThumbSize->SetMaxValue(MaxThumbSize);
    edThumbPadding->SetMinValue(MinThumbPadding);
    edThumbPadding->SetMaxValue(MaxThumbPadding);
}

void TOptionsForm::LoadData() {
    TLXBaseDialog::LoadData();
    edThumbSize->SetValue(VelloriaApp->ThumbSize);
    edThumbPadding->SetValue(VelloriaApp->ThumbPadding);
    chkFlushOnExit->setChecked(VelloriaApp->ExitCleanup);
}

void TOptionsForm::SaveData() {
    TLXBaseDialog::SaveData();
    VelloriaApp->SetThumbSize(edThumbSize->Value());
    VelloriaApp->SetThumbPadding(edThumbPadding->Value());
    VelloriaApp->ExitCleanup = chkFlushOnExit->isChecked();
}
