#include "LXVerLabel.h"

#include "ProgramFile.h"

#include <memory>

namespace {
std::unique_ptr<TVersionInfo> SharedInfo;

const TVersionInfo& SharedInfoOfProgram() {
    if (!SharedInfo)
        SharedInfo = std::make_unique<TVersionInfo>(ReadVersionInfo(ProgramFilePath()));
    return *SharedInfo;
}
} // namespace

QString VersionValue(const TVersionInfo& info, TLXVersionLabel::TVersionResource resource) {
    switch (resource) {
    case TLXVersionLabel::vrCompanyName:
        return info.StringValue(QStringLiteral("CompanyName"));
    case TLXVersionLabel::vrFileDescription:
        return info.StringValue(QStringLiteral("FileDescription"));
    case TLXVersionLabel::vrFileVersion:
        return FormatFileVersion(info.FileVersion);
    case TLXVersionLabel::vrInternalName:
        return info.StringValue(QStringLiteral("InternalName"));
    case TLXVersionLabel::vrLegalCopyright:
        return info.StringValue(QStringLiteral("LegalCopyright"));
    case TLXVersionLabel::vrOriginalFilename:
        return info.StringValue(QStringLiteral("OriginalFilename"));
    case TLXVersionLabel::vrProductName:
        return info.StringValue(QStringLiteral("ProductName"));
    case TLXVersionLabel::vrProductVersion:
        return info.StringValue(QStringLiteral("ProductVersion"));
    case TLXVersionLabel::vrComments:
        return info.StringValue(QStringLiteral("Comments"));
    }
    return {};
}

TLXVersionLabel::TLXVersionLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

TLXVersionLabel::~TLXVersionLabel() {
    SharedInfo.reset();
}

void TLXVersionLabel::SetVersionResource(TVersionResource resource) {
    FVersionResource = resource;
    Refresh();
}

void TLXVersionLabel::SetPrefix(const QString& prefix) {
    FPrefix = prefix;
    Refresh();
}

void TLXVersionLabel::Refresh() {
    setText(FPrefix + VersionValue(SharedInfoOfProgram(), FVersionResource));
}

const TVersionInfo* TLXVersionLabel::SharedVersionInfo() {
    return SharedInfo.get();
}
