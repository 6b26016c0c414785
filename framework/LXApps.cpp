#include "LXApps.h"

#include "AppShell.h"
#include "FLXAbout.h"
#include "LxConfiguration.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <limits>

TLxBaseApplication* TLxBaseApplication::FInstance = nullptr;

TLxBaseApplication::TLxBaseApplication(bool sharedDataFolder) : SharedDataFolder(sharedDataFolder) {
    LX_ASSERT_MSG(FInstance == nullptr,
                  QStringLiteral("TLxBaseApplication instance already exists"));
    FInstance = this;
    AppFolder = ProgramFolder();
}

TLxBaseApplication::~TLxBaseApplication() {
    FInstance = nullptr;
}

QString TLxBaseApplication::GetVendorName() const {
    return VendorName();
}

QString TLxBaseApplication::GetDataFolder() const {
    const QString home = UserConfigFolder();
    if (home.isEmpty())
        throw ELXApplication(
            QStringLiteral("Unable to retrieve or create user Application Data folder"));
    QString path = home + QLatin1Char('/') + GetVendorName();
    if (!SharedDataFolder)
        path += QLatin1Char('/') + GetAppName();
    return IncludeTrailingPathDelimiter(path);
}

void TLxBaseApplication::CreateDataFolder() {
    if (!AutoCreateDataFolder)
        return;
    const QString folder = GetDataFolder();
    if (!ForceDirectories(folder))
        throw ELXApplication(QStringLiteral("Unable to create folder:\r%1").arg(folder));
}

void TLxBaseApplication::Initialize() {
    CreateDataFolder();
    if (Application)
        Application->HelpFile = CompleteHelpFileName(Application->HelpFile, AppFolder);
}

void TLxBaseApplication::ShowAbout() {
    TLXAboutForm form;
    form.ShowModal();
}

QString CompleteHelpFileName(const QString& helpFile, const QString& folder) {
    return helpFile.contains(QLatin1Char('/')) ? helpFile : folder + QLatin1Char('/') + helpFile;
}

TLXApplication::TLXApplication()
    : TLxBaseApplication(false), CommandLine(std::make_unique<TLXCommandLine>()) {}

void TLXApplication::ParseCommandLine() {
    CommandLine->AddOption(QStringLiteral("noconfig"), QStringLiteral("nc"), akNone);
    if (Parameters)
        CommandLine->Parse(*Parameters);
    else
        CommandLine->Parse();
    if (CommandLine->HasOption(QStringLiteral("noconfig")))
        NoConfig = true;
}

void TLXApplication::Initialize() {
    TLxBaseApplication::Initialize();
    ParseCommandLine();
    SessionInfo.FirstStart = Now();
    SessionInfo.LastExit = 0.0;
    SessionInfo.RunCount = 0;
    RegisterConfigItems();
    LoadConfig();
    // Stays at the maximum rather than overflowing after two billion starts.
    if (SessionInfo.RunCount < std::numeric_limits<qint32>::max())
        SessionInfo.RunCount += 1;
    SessionInfo.LastStart = Now();
}

void TLXApplication::Finalize() {
    SaveConfig();
    TLxBaseApplication::Finalize();
}

void TLXApplication::RegisterConfigItems() {
    Configuration().SetAppName(GetAppName());
    Configuration().Items.Add(
        MakeBinaryConfig(QStringLiteral("SessionInfo"), &SessionInfo, sizeof SessionInfo));
}

void TLXApplication::LoadConfig() {
    if (!NoConfig)
        Configuration().Load();
}

void TLXApplication::SaveConfig() {
    SessionInfo.LastExit = Now();
    Configuration().Save();
}
