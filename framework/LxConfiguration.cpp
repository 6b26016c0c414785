#include "LxConfiguration.h"

#include "Exception.h"
#include "ProgramFile.h"
#include "UserFolders.h"

QString VendorName() {
    return QStringLiteral("Ornwick");
}

TLXConfiguration::TLXConfiguration() {
    ComputeFileName();
}

TLXConfiguration::~TLXConfiguration() {
    if (FFile) {
        try {
            FFile->UpdateFile();
        } catch (const Exception&) {
            // Nothing can be reported while the process ends.
        }
    }
}

void TLXConfiguration::ComputeFileName() {
    if (OnGetFileName) {
        QString name;
        OnGetFileName(*this, name);
        if (!name.isEmpty()) {
            FileName = name;
            return;
        }
    }
    const QString folder = UserConfigFolder();
    if (folder.isEmpty())
        throw Exception(QStringLiteral("Unable to find/create APPDATA folder"));
    QString path = folder + QLatin1Char('/') + VendorName() + QLatin1Char('/');
    if (!AppName.isEmpty())
        path += AppName + QLatin1Char('/');
    FileName = path + ChangeFileExt(ExtractFileName(ProgramFilePath()), QStringLiteral(".ini"));
}

void TLXConfiguration::SetAppName(const QString& name) {
    if (name == AppName)
        return;
    if (FFile)
        throw Exception(QStringLiteral("Configuration file already open"));
    AppName = name;
    DefaultSection = name;
    ComputeFileName();
}

TLxConfigFile& TLXConfiguration::ConfigFile() {
    if (!FFile) {
        if (FileName.isEmpty())
            throw Exception(QStringLiteral("No configuration file specified"));
        FFile = std::make_unique<TLxConfigFile>(FileName, ReadOnly);
    }
    return *FFile;
}

ILxConfigSectionPtr TLXConfiguration::GetDefaultSection() {
    return GetSection(DefaultSection);
}

ILxConfigSectionPtr TLXConfiguration::GetSection(const QString& name) {
    return ConfigFile().GetSection(name);
}

void TLXConfiguration::Load() {
    ILxConfigSectionPtr section = GetDefaultSection();
    Items.LoadAll(section);
    if (OnAfterLoad)
        OnAfterLoad(*this);
    section.Release();
}

void TLXConfiguration::Save() {
    if (OnBeforeSave)
        OnBeforeSave(*this);
    ILxConfigSectionPtr section = GetDefaultSection();
    Items.SaveAll(section);
    section.Release();
}

QString TLXConfiguration::SaveError() const {
    return FFile ? FFile->SaveError() : QString();
}

TLXConfiguration& Configuration() {
    // Never destroyed: the registry outlives every user until the process ends.
    static TLXConfiguration* instance = nullptr;
    if (!instance)
        instance = new TLXConfiguration();
    return *instance;
}
