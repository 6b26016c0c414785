#pragma once
// The version label: one value of the running program's version information after a prefix.
// All version labels share one copy of the information, read from the program file when a label
// first needs it; destroying any version label drops that copy, and the next label that needs
// it reads the file again.

#include "VersionInfo.h"

#include <QLabel>

class TLXVersionLabel : public QLabel {
    Q_OBJECT
public:
    // Which value of the version information the label shows.
    enum TVersionResource {
        vrCompanyName,
        vrFileDescription,
        vrFileVersion,
        vrInternalName,
        vrLegalCopyright,
        vrOriginalFilename,
        vrProductName,
        vrProductVersion,
        vrComments
    };
    Q_ENUM(TVersionResource)

private:
    Q_PROPERTY(TVersionResource VersionResource READ VersionResource WRITE SetVersionResource)
    Q_PROPERTY(QString Prefix READ Prefix WRITE SetPrefix)

public:
    // A label for vrFileVersion with no prefix; it reads nothing until its text is refreshed.
    explicit TLXVersionLabel(QWidget* parent = nullptr);
    ~TLXVersionLabel() override;

    TVersionResource VersionResource() const { return FVersionResource; }
    // Sets the value to show and refreshes the text at once.
    void SetVersionResource(TVersionResource resource);
    QString Prefix() const { return FPrefix; }
    // Sets the text in front of the value and refreshes the text at once.
    void SetPrefix(const QString& prefix);
    // Shows Prefix followed by the value, reading the shared version information first when no
    // label holds it. Raises the reader's errors when the program file has none.
    void Refresh();

    // The copy the labels share, or null while none holds one.
    static const TVersionInfo* SharedVersionInfo();

private:
    TVersionResource FVersionResource = vrFileVersion;
    QString FPrefix;
};

// The value of the version information a label of that resource shows: the string of that key
// (empty when the table has none), or the file version as "1.2.3 (45)".
QString VersionValue(const TVersionInfo& info, TLXVersionLabel::TVersionResource resource);
