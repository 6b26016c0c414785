#pragma once
// The process-wide configuration registry: where the configuration file lives, the file opened on
// first need, and the typed settings loaded from and saved to the default section.

#include "LxConfigItems.h"

#include <functional>
#include <memory>

class TLXConfiguration {
public:
    // Computes the file name; raises "Unable to find/create APPDATA folder" when the user's
    // configuration folder cannot be created, and the user-folder error naming HOME and
    // XDG_CONFIG_HOME when there is no home folder to put it in.
    TLXConfiguration();
    // Saves the open file and frees it with the items.
    ~TLXConfiguration();

    QString FileName;
    QString AppName;
    TLxConfigItems Items;
    QString DefaultSection = QStringLiteral("MAIN");
    std::function<void(TLXConfiguration&, QString&)> OnGetFileName;
    std::function<void(TLXConfiguration&)> OnAfterLoad;
    std::function<void(TLXConfiguration&)> OnBeforeSave;
    bool ReadOnly = false;

    // Names the registry (section and file path) after the application. The same name again does
    // nothing; another name once the file is open raises "Configuration file already open".
    void SetAppName(const QString& name);
    // The open file, opened on first use; raises "No configuration file specified" without a file
    // name, and what opening raises (an unsupported schema) with no file kept open.
    TLxConfigFile& ConfigFile();
    bool IsOpen() const { return FFile != nullptr; }
    ILxConfigSectionPtr GetDefaultSection();
    ILxConfigSectionPtr GetSection(const QString& name);
    // Loads every registered setting that is stored; the last handle's release writes a new file's
    // header.
    void Load();
    // Saves every registered setting and writes the file.
    void Save();
    // Why the open file could not be written at its last save; empty when it was, or none is open.
    QString SaveError() const;
    // Recomputes FileName from the callback or the path rule.
    void ComputeFileName();

private:
    std::unique_ptr<TLxConfigFile> FFile;
};

// The registry, created by the first call; a failed creation is tried again on the next call.
TLXConfiguration& Configuration();
// The maker's folder name.
QString VendorName();
