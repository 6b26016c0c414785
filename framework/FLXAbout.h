#pragma once
// The About dialog: the application icon, product name, version and copyright from the program
// file's version information, the kind of build, the maker's name and address, and links to the
// maker's mail and web site.

#include "LXControls.h"
#include "LXVerLabel.h"
#include "LxButtons.h"
#include "LxForms.h"

#include <QFrame>
#include <QLabel>

class TLXAboutForm : public TLxForm {
    Q_OBJECT
public:
    // Builds the dialog and fills it from the running program's version information; raises
    // the reader's errors (EVersionInfoError, ...) when the program file has none.
    explicit TLXAboutForm(QWidget* owner = nullptr);

    QFrame* Bevel1;
    QLabel* CIcon;
    TLXVersionLabel* CProduct;
    TLXVersionLabel* CVersion;
    TLXVersionLabel* CCopyright;
    QLabel* CComment;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    TLxLinkLabel* CMailURL;
    TLxLinkLabel* CWebURL;
    TLxButton* BtnOk;

private:
    void CreateControls();
    void FormCreate();
};

// The words of the build kind for the file flags, each counted only where the mask has it too:
// "DEBUG ", "PRERELEASE ", "PRIVATE ", "SPECIAL " in this order, each with its blank; empty for
// none.
QString BuildKindText(std::uint32_t fileFlags, std::uint32_t fileFlagsMask);
