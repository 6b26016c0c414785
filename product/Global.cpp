#include "Global.h"

#include "AtomicFile.h"
#include "Bitmap.h"
#include "BmpWriter.h"
#include "DesktopFactory.h"
#include "LxConfiguration.h"
#include "LxFiles.h"
#include "Picture.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <cctype>

TVelloriaApp* VelloriaApp = nullptr;

namespace {
bool IsNoDesktop(const IDesktopWallpaper* desktop) {
    return !desktop || desktop->Name() == QLatin1String("none");
}
} // namespace

// ---- TActiveDesktop ----

TActiveDesktop::TActiveDesktop() : TActiveDesktop(CreateDesktopWallpaper()) {}

TActiveDesktop::TActiveDesktop(std::unique_ptr<IDesktopWallpaper> desktop)
    : FDesktop(std::move(desktop)) {}

TActiveDesktop::~TActiveDesktop() = default;

bool TActiveDesktop::GetWallpaper(QString& fileName, quint8& style) {
    fileName.clear();
    style = wsCentered;
    if (IsNoDesktop(FDesktop.get()))
        return false;
    int code = wsCentered;
    const bool ok = FDesktop->GetWallpaper(fileName, code);
    style = quint8(ValidStyle(code));
    return ok;
}

bool TActiveDesktop::SetWallpaper(const QString& fileName, quint8 style) {
    return !IsNoDesktop(FDesktop.get()) && FDesktop->SetWallpaper(fileName, ValidStyle(style));
}

// ---- TVelloriaApp ----

TVelloriaApp::TVelloriaApp()
    : ChosenWallpaper(std::make_unique<TLxWallpaper>()),
      StartupWallpaper(std::make_unique<TLxWallpaper>()) {
    InitCacheFolder();
    ActiveDesktop = std::make_unique<TActiveDesktop>();
}

TVelloriaApp::~TVelloriaApp() {
    ActiveDesktop.reset();
    ChosenWallpaper.reset();
    StartupWallpaper.reset();
}

void TVelloriaApp::InitCacheFolder() {
    const QString base = UserDataFolder();
    const QString path = IncludeTrailingPathDelimiter(base) + VendorName() + QLatin1Char('/') +
                         GetAppName() + QLatin1Char('/');
    if (!ForceDirectories(path))
        throw Exception(QStringLiteral("Failed to create folder: ") + path);
    RemoveStaleTemporaries(path);
    CacheFolder = path;
}

void TVelloriaApp::RegisterConfigItems() {
    TLXApplication::RegisterConfigItems();
    TLxConfigItems& items = Configuration().Items;
    items.Add(MakeStringConfig(QStringLiteral("LastFolder"), &LastFolder));
    items.Add(MakeIntConfig(QStringLiteral("Thumb-Size"), &ThumbSize));
    items.Add(MakeIntConfig(QStringLiteral("Thumb-Padding"), &ThumbPadding));
    items.Add(MakeBoolConfig(QStringLiteral("Exit-Cleanup"), &ExitCleanup));
}

void TVelloriaApp::SetThumbSize(qint32 value) {
    if (value >= 60 && value <= 200)
        ThumbSize = value;
}

void TVelloriaApp::SetThumbPadding(qint32 value) {
    if (value >= 0 && value <= 40)
        ThumbPadding = value;
}

void TVelloriaApp::ReadWallpaper(TLxWallpaper& wallpaper) {
    ActiveDesktop->GetWallpaper(wallpaper.FileName, wallpaper.Style);
}

void TVelloriaApp::ApplyWallpaper(TLxWallpaper& wallpaper) {
    if (HasExtension(wallpaper.FileName, QStringLiteral(".bmp")) ||
        HasExtension(wallpaper.FileName, QStringLiteral(".jpg"))) {
        ActiveDesktop->SetWallpaper(wallpaper.FileName, wallpaper.Style);
        return;
    }
    const QString cacheName = GetCacheFileName(wallpaper.FileName);
    if (!ConvertToBitmap(wallpaper.FileName, cacheName))
        return;
    ActiveDesktop->SetWallpaper(cacheName, wallpaper.Style);
    wallpaper.FileName = cacheName;
}

bool TVelloriaApp::ConvertToBitmap(const QString& source, const QString& target) {
    if (SameFileName(source, target))
        return false;
    TPicture picture;
    TBitmap bitmap;
    picture.LoadFromFile(source);
    bitmap.Assign(picture.Graphic());
    QString reason;
    if (!WriteFileAtomically(target, WriteBmp(bitmap.Dib()), reason))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(target, reason));
    return true;
}

void TVelloriaApp::CleanupCache() {
    QStringList files;
    FindFiles(CacheFolder, QStringLiteral("VL%*.bmp"), files, true);
    for (const QString& file : files) {
        if (SameFileName(file, StartupWallpaper->FileName) ||
            SameFileName(file, ChosenWallpaper->FileName))
            continue;
        QFile::remove(file);
    }
}

// ---- free functions ----

bool HasExtension(const QString& fileName, const QString& extension) {
    const QString own = ExtractFileExt(fileName);
    if (own.size() != extension.size())
        return false;
    for (qsizetype i = 0; i < own.size(); ++i) {
        const char16_t a = own[i].unicode();
        const char16_t b = extension[i].unicode();
        if (a != b && !(a < 128 && b < 128 && std::tolower(a) == std::tolower(b)))
            return false;
    }
    return true;
}

QString GetCacheFileName(const QString& sourceFileName) {
    return VelloriaApp->CacheFolder + QStringLiteral("VL%") +
           ChangeFileExt(ExtractFileName(sourceFileName), QStringLiteral(".bmp"));
}

bool SameFileName(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}
