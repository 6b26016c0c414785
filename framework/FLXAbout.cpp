#include "FLXAbout.h"

#include "ProgramFile.h"

#include <QApplication>
#include <QIcon>

namespace {
constexpr int AboutHelpContext = 30500;
// The maker block and the links.
const char* const MakerName = "Ornwick";
const char* const MakerLine1 = "Small programs for the Linux desktop";
const char* const MakerLine2 = "Write to us or visit our site:";
const char* const MailCaption = "velloria@ornwick.com";
const char* const MailTarget = "mailto:velloria@ornwick.com";
const char* const WebCaption = "www.ornwick.com";
const char* const WebTarget = "https://www.ornwick.com/";

QLabel* MakeLabel(QWidget* parent, const QRect& place, const QString& text, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(place);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

TLXVersionLabel* MakeVersionLabel(QWidget* parent, int top) {
    auto* label = new TLXVersionLabel(parent);
    label->setGeometry(60, top, 261, 13);
    return label;
}

TLxLinkLabel* MakeLinkLabel(QWidget* parent, const QRect& place, const char* caption,
                            const char* target) {
    auto* label = new TLxLinkLabel(parent);
    label->setText(QString::fromUtf8(caption));
    label->SetLinkTo(QString::fromUtf8(target));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(place);
    return label;
}
} // namespace

QString BuildKindText(std::uint32_t fileFlags, std::uint32_t fileFlagsMask) {
    const struct {
        std::uint32_t Flag;
        const char* Word;
    } words[] = {{VS_FF_DEBUG, "DEBUG "},
                 {VS_FF_PRERELEASE, "PRERELEASE "},
                 {VS_FF_PRIVATEBUILD, "PRIVATE "},
                 {VS_FF_SPECIALBUILD, "SPECIAL "}};
    QString text;
    for (const auto& word : words)
        if (fileFlags & fileFlagsMask & word.Flag)
            text += QLatin1String(word.Word);
    return text;
}

TLXAboutForm::TLXAboutForm(QWidget* owner) : TLxForm(owner) {
    setFont(FormFont(QStringLiteral("MS Shell Dlg")));
    SetDialogFrame(328, 243);
    SetHelpContext(AboutHelpContext);
    CreateControls();
    FormCreate();
}

void TLXAboutForm::CreateControls() {
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(4, 4, 48, 48);
    CIcon = new QLabel(this);
    CIcon->setAlignment(Qt::AlignCenter);
    CIcon->setScaledContents(true);
    CIcon->setGeometry(12, 12, 32, 32);
    CProduct = MakeVersionLabel(this, 8);
    CProduct->SetVersionResource(TLXVersionLabel::vrProductName);
    CVersion = MakeVersionLabel(this, 24);
    CVersion->SetPrefix(QStringLiteral("Version "));
    CVersion->SetVersionResource(TLXVersionLabel::vrFileVersion);
    CCopyright = MakeVersionLabel(this, 40);
    CCopyright->SetVersionResource(TLXVersionLabel::vrLegalCopyright);
    CComment = MakeLabel(this, QRect(4, 60, 321, 13), QString(), true);
    QPalette maroon = CComment->palette();
    maroon.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    CComment->setPalette(maroon);
    Label2 = MakeLabel(this, QRect(-1, 140, 329, 13), QString::fromUtf8(MakerName), true);
    Label3 = MakeLabel(this, QRect(-1, 156, 329, 13), QString::fromUtf8(MakerLine1), false);
    Label4 = MakeLabel(this, QRect(-1, 172, 329, 13), QString::fromUtf8(MakerLine2), false);
    CMailURL = MakeLinkLabel(this, QRect(0, 188, 165, 13), MailCaption, MailTarget);
    CWebURL = MakeLinkLabel(this, QRect(160, 188, 165, 13), WebCaption, WebTarget);
    BtnOk = new TLxButton(TLxButton::bkOK, this);
    BtnOk->setGeometry(126, 212, 75, 25);
    BtnOk->setFocus();
}

void TLXAboutForm::FormCreate() {
    CIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    // A copy of its own, apart from the one the labels share.
    const TVersionInfo info = ReadVersionInfo(ProgramFilePath());
    setWindowTitle(QStringLiteral("About ") + info.StringValue(QStringLiteral("ProductName")));
    CComment->setText(BuildKindText(info.FileFlags, info.FileFlagsMask));
}
