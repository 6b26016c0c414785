#pragma once
// The framework's application object: a process-wide singleton that knows the application's name
// and vendor, owns the per-user data folder, the parsed command line and a small persisted record
// of session statistics, and runs a fixed initialisation and finalisation around the event loop.

#include "DateTime.h"
#include "LXCommandLine.h"

#include <memory>
#include <optional>

#pragma pack(push, 1)
// Session statistics, stored whole as the binary setting "SessionInfo" (28 bytes, little-endian).
struct TLxSessionInfo {
    TDateTime FirstStart;
    TDateTime LastExit;
    TDateTime LastStart;
    qint32 RunCount;
};
#pragma pack(pop)
static_assert(sizeof(TLxSessionInfo) == 28);

class TLxBaseApplication {
public:
    // Fails the assertion "TLxBaseApplication instance already exists" when one is alive.
    explicit TLxBaseApplication(bool sharedDataFolder);
    virtual ~TLxBaseApplication();
    TLxBaseApplication(const TLxBaseApplication&) = delete;
    TLxBaseApplication& operator=(const TLxBaseApplication&) = delete;

    QString AppFolder;
    bool SharedDataFolder;
    bool AutoCreateDataFolder = true;

    virtual QString GetAppName() const = 0;
    virtual QString GetVendorName() const;
    // Creates the data folder with every missing parent; raises ELXApplication "Unable to create
    // folder:" CR and the path on failure.
    virtual void CreateDataFolder();
    // Creates the data folder and completes the help file name with the program's folder.
    virtual void Initialize();
    virtual void Finalize() {}
    // Shows the About dialog modally and frees it; raises its errors (a program file without
    // version information) before anything is shown.
    virtual void ShowAbout();

    // The data folder with a trailing "/": the configuration home, the vendor, and (unless shared)
    // the application's name. Raises ELXApplication when the configuration home cannot be created,
    // and the user-folder error naming HOME and XDG_CONFIG_HOME when there is no home folder.
    QString GetDataFolder() const;

    // The live application object, or null.
    static TLxBaseApplication* Instance() { return FInstance; }

private:
    static TLxBaseApplication* FInstance;
};

class TLXApplication : public TLxBaseApplication {
public:
    TLXApplication();

    bool NoConfig = false;
    std::unique_ptr<TLXCommandLine> CommandLine;
    TLxSessionInfo SessionInfo{};

    void Initialize() override;
    void Finalize() override;
    // Names the configuration after the application and registers "SessionInfo"; subclasses call
    // this first and then register their own settings.
    virtual void RegisterConfigItems();
    // Loads the registered settings unless "noconfig" was given.
    virtual void LoadConfig();
    // Stamps LastExit and saves every registered setting to the file.
    virtual void SaveConfig();

    // Declares "noconfig" (short "nc") and parses the given parameters (the process's when none
    // are given).
    void ParseCommandLine();
    // The parameters to parse instead of the process's (tests and tools set them).
    std::optional<QStringList> Parameters;
};

// The help file name completed with the folder when it holds no "/".
QString CompleteHelpFileName(const QString& helpFile, const QString& folder);
