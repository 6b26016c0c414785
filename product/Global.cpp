#include "Global.h"

#include "AtomicFile.h"
#include "Bitmap.h"
#include "BmpReader.h"
#include "BmpWriter.h"
#include "DesktopFactory.h"
#include "JpegDecoder.h"
#include "LxConfiguration.h"
#include "LxFiles.h"
#include "Picture.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <optional>
#include <sys/stat.h>

TVelloriaApp* VelloriaApp = nullptr;

namespace {
// Raises when a file cannot go to the desktop as it is: EFOpenError when it is missing, not a
// regular file or unreadable; EInvalidGraphic when a ".bmp" or ".jpg" file's header is not of
// the format its extension names. Only the header is read, nothing is decoded.
void CheckPictureFile(const QString& fileName) {
    const QByteArray data = ReadWholeFile(fileName);
    try {
        if (HasExtension(fileName, QStringLiteral(".bmp")))
            ReadBmpHeader(data);
        else if (HasExtension(fileName, QStringLiteral(".jpg")))
            ReadJpegSize(data);
    } catch (const EInvalidGraphic& error) {
        throw EInvalidGraphic(QStringLiteral("Cannot use \"%1\" as wallpaper. %2")
                                  .arg(QFileInfo(fileName).absoluteFilePath(), error.Message()));
    }
}

// The device and inode of the file a name leads to, links followed; nothing when there is none.
std::optional<std::pair<dev_t, ino_t>> FileIdentity(const QString& fileName) {
    struct stat info {};
    if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return std::nullopt;
    return std::make_pair(info.st_dev, info.st_ino);
}

// Only names this program writes count as its cache files: Linux names are case-sensitive, so
// "vl%Mine.BMP" or "VL%Mine.BMP" is someone else's file.
bool IsCacheFileName(const QString& fileName) {
    const QString name = ExtractFileName(fileName);
    return name.startsWith(QLatin1String("VL%")) && name.endsWith(QLatin1String(".bmp"));
}
} // namespace

// ---- TActiveDesktop ----

TActiveDesktop::TActiveDesktop() : TActiveDesktop(CreateDesktopWallpaper()) {}

TActiveDesktop::TActiveDesktop(std::unique_ptr<IDesktopWallpaper> desktop)
    : FDesktop(std::move(desktop)) {}

TActiveDesktop::~TActiveDesktop() = default;

bool TActiveDesktop::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    fileName.clear();
    style = wsCentered;
    if (!FDesktop)
        return false;
    const bool ok = FDesktop->GetWallpaper(fileName, style);
    style = ValidStyle(style);
    return ok;
}

bool TActiveDesktop::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    return FDesktop && FDesktop->SetWallpaper(fileName, ValidStyle(style));
}

bool TActiveDesktop::TakesAsIs(const QString& fileName) const {
    const QStringList extensions = FDesktop ? FDesktop->AsIsExtensions() : CommonAsIsExtensions();
    return std::any_of(extensions.cbegin(), extensions.cend(),
                       [&](const QString& extension) { return HasExtension(fileName, extension); });
}

QString TActiveDesktop::LastError() const {
    return FDesktop ? FDesktop->LastError() : QStringLiteral("no supported desktop was found");
}

QString TActiveDesktop::LastNotice() const {
    return FDesktop ? FDesktop->LastNotice() : QString();
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
    items.Add(MakeIntConfig(QStringLiteral("Thumb-Size"), &ThumbSize, MinThumbSize, MaxThumbSize));
    items.Add(MakeIntConfig(QStringLiteral("Thumb-Padding"), &ThumbPadding, MinThumbPadding,
                            MaxThumbPadding));
    items.Add(MakeBoolConfig(QStringLiteral("Exit-Cleanup"), &ExitCleanup));
}

void TVelloriaApp::SetThumbSize(qint32 value) {
    if (value >= MinThumbSize && value <= MaxThumbSize)
        ThumbSize = value;
}

void TVelloriaApp::SetThumbPadding(qint32 value) {
    if (value >= MinThumbPadding && value <= MaxThumbPadding)
        ThumbPadding = value;
}

void TVelloriaApp::ReadWallpaper(TLxWallpaper& wallpaper) {
    if (ActiveDesktop->GetWallpaper(wallpaper.FileName, wallpaper.Style))
        FDesktopFiles.insert(wallpaper.FileName);
}

void TVelloriaApp::ApplyWallpaper(TLxWallpaper& wallpaper) {
    // No picture at start-up: putting that back means clearing it, not converting a nameless file.
    if (wallpaper.FileName.isEmpty()) {
        if (!ActiveDesktop->SetWallpaper(QString(), wallpaper.Style))
            throw DesktopError(QStringLiteral("The desktop did not take the wallpaper away"),
                               ActiveDesktop->LastError());
        return;
    }
    // The desktop's own file may be any format it reads (PNG, SVG, an XML slideshow) and goes
    // back unchanged, so that the desktop can restore what it kept beside it.
    const bool desktopFile = FDesktopFiles.contains(wallpaper.FileName);
    const bool asIs = ActiveDesktop->TakesAsIs(wallpaper.FileName);
    if (asIs && !desktopFile)
        CheckPictureFile(wallpaper.FileName);
    if (desktopFile || asIs) {
        if (!ActiveDesktop->SetWallpaper(wallpaper.FileName, wallpaper.Style))
            throw Refusal(wallpaper.FileName);
        return;
    }
    const QString cacheName = GetCacheFileName(wallpaper.FileName);
    if (!ConvertToBitmap(wallpaper.FileName, cacheName))
        return;
    const bool taken = ActiveDesktop->SetWallpaper(cacheName, wallpaper.Style);
    // The cache file stays the record's even when refused, so a clean-up keeps it.
    wallpaper.FileName = cacheName;
    if (!taken)
        throw Refusal(cacheName);
}

void TVelloriaApp::ReportDesktopNotice() const {
    const QString notice = ActiveDesktop->LastNotice();
    if (!notice.isEmpty())
        throw EDesktopError(QStringLiteral("The wallpaper is shown, but ") + notice);
}

EDesktopError TVelloriaApp::Refusal(const QString& fileName) const {
    return DesktopError(
        QStringLiteral("The desktop did not take the wallpaper \"%1\"").arg(fileName),
        ActiveDesktop->LastError());
}

void TVelloriaApp::VerifyWallpaper(const TLxWallpaper& wallpaper) {
    TLxWallpaper shown;
    if (!ActiveDesktop->GetWallpaper(shown.FileName, shown.Style))
        throw DesktopError(QStringLiteral("The desktop cannot tell which wallpaper it shows"),
                           ActiveDesktop->LastError());
    if (!SameFileName(shown.FileName, wallpaper.FileName) ||
        shown.Style != ValidStyle(wallpaper.Style))
        throw EDesktopError(QStringLiteral("The desktop shows \"%1\" %2 instead of \"%3\" %4")
                                .arg(shown.FileName, StyleWord(shown.Style), wallpaper.FileName,
                                     StyleWord(wallpaper.Style)));
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
    // Compared by identity: a record may reach its cache file through a link.
    const auto startup = FileIdentity(StartupWallpaper->FileName);
    const auto chosen = FileIdentity(ChosenWallpaper->FileName);
    for (const QString& file : files) {
        const auto identity = FileIdentity(file);
        if (!IsCacheFileName(file) || (identity && (identity == startup || identity == chosen)))
            continue;
        QFile::remove(file);
    }
}

// ---- free functions ----

EDesktopError DesktopError(const QString& text, const QString& reason) {
    return EDesktopError(reason.isEmpty() ? text : text + QStringLiteral(": ") + reason);
}

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
    return ExpandFileName(a) == ExpandFileName(b);
}
