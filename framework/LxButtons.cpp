#include "LxButtons.h"

#include "AppShell.h"
#include "LxForms.h"
#include "LxHelp.h"

#include <array>

namespace {
struct TKindRow {
    const char* Caption;
    int ModalResult;
    bool Default;
    bool Cancel;
};

// One row per kind, in the order of TKind; the captions are the standard button texts.
constexpr std::array<TKindRow, 11> KindRows{{
    {"", mrNone, false, false},
    {"OK", mrOk, true, false},
    {"Cancel", mrCancel, false, true},
    {"&Help", mrNone, false, false},
    {"&Yes", mrYes, true, false},
    {"&No", mrNo, false, true},
    {"&Close", mrNone, false, false},
    {"Abort", mrAbort, false, false},
    {"&Retry", mrRetry, false, false},
    {"&Ignore", mrIgnore, false, false},
    {"&All", mrAll, false, false},
}};
} // namespace

TLxButton::TLxButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QAbstractButton::clicked, this, [this] { Guarded([this] { OnClicked(); }); });
}

TLxButton::TLxButton(TKind kind, QWidget* parent) : TLxButton(parent) {
    SetKind(kind);
}

TLxButton::TKind TLxButton::Kind() {
    if (!MatchesKind())
        FKind = bkCustom;
    return FKind;
}

bool TLxButton::MatchesKind() const {
    if (FKind == bkCustom)
        return true;
    const TKindRow& row = KindRows[FKind];
    return FDefault == row.Default && FCancel == row.Cancel && FModalResult == row.ModalResult;
}

void TLxButton::SetKind(TKind kind) {
    if (kind == FKind)
        return;
    if (kind != bkCustom) {
        const TKindRow& row = KindRows[kind];
        SetDefault(row.Default);
        FCancel = row.Cancel;
        setText(QString::fromLatin1(row.Caption));
        FModalResult = row.ModalResult;
    }
    FKind = kind;
    update();
}

void TLxButton::SetDefault(bool value) {
    FDefault = value;
    setDefault(value);
}

void TLxButton::OnClicked() {
    if (FKind == bkHelp) {
        if (const int context = NearestHelpContext(this)) {
            OpenHelp(context);
            return;
        }
    }
    QWidget* form = parentWidget() ? window() : nullptr;
    if (FKind == bkClose && form) {
        form->close();
        return;
    }
    if (auto* lxForm = qobject_cast<TLxForm*>(form))
        lxForm->SetModalResult(FModalResult);
    emit Click();
}
