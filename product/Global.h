#pragma once
// The product's application object with its settings, its two wallpaper records, the desktop's
// wallpaper setting and the wallpaper cache; every window reaches it through VelloriaApp.

#include "DesktopWallpaper.h"
#include "LXApps.h"

#include <QSet>

#include <memory>

// The desktop did not take a wallpaper, or does not show the one it was given.
LX_DECLARE_EXCEPTION(EDesktopError, Exception)

// A wallpaper: a picture file and a style (one byte, as the style list's item index).
struct TLxWallpaper {
    QString FileName;
    TLxWallpaperStyle Style = wsTiled;
};

// The desktop's wallpaper setting, through the adapter for this session's desktop.
class TActiveDesktop {
public:
    // Over the adapter chosen for the running session.
    TActiveDesktop();
    // Over the given adapter; null means no desktop can be asked.
    explicit TActiveDesktop(std::unique_ptr<IDesktopWallpaper> desktop);
    ~TActiveDesktop();

    // The wallpaper in force. When the desktop cannot be asked: false, an empty name and
    // wsCentered.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style);
    // Makes the file the wallpaper; a style past wsScaled is set as centred. False when the
    // desktop refused or cannot be asked.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style);
    // True when the desktop reads the picture itself (its extension, any letter case, is one of
    // the adapter's as-is extensions); without a desktop, BMP and ".jpg" files.
    bool TakesAsIs(const QString& fileName) const;
    // The adapter, or null.
    IDesktopWallpaper* Desktop() const { return FDesktop.get(); }
    // Why the last call that returned false failed; empty when the desktop gave no reason.
    QString LastError() const;
    // What went wrong beside the wallpaper set last (see IDesktopWallpaper::LastNotice).
    QString LastNotice() const;

private:
    std::unique_ptr<IDesktopWallpaper> FDesktop;
};

// The thumbnail settings' ranges, both limits included: what the setters and the Options
// dialog accept, and what a value loaded from the settings file is held to.
constexpr qint32 MinThumbSize = 60;
constexpr qint32 MaxThumbSize = 200;
constexpr qint32 MinThumbPadding = 0;
constexpr qint32 MaxThumbPadding = 40;

class TVelloriaApp : public TLXApplication {
public:
    // Creates the records, sets the defaults, the cache folder and the desktop wrapper. Raises
    // Exception "Failed to create folder: " and the path when the cache folder cannot be made.
    TVelloriaApp();
    ~TVelloriaApp() override;

    std::unique_ptr<TLxWallpaper> ChosenWallpaper;
    std::unique_ptr<TLxWallpaper> StartupWallpaper;
    QString LastFolder;
    QString CacheFolder;
    qint32 ThumbSize = 100;
    qint32 ThumbPadding = 4;
    bool ExitCleanup = false;
    std::unique_ptr<TActiveDesktop> ActiveDesktop;

    QString GetAppName() const override { return QStringLiteral("Velloria"); }
    void RegisterConfigItems() override;

    // Stores the value only when it lies in MinThumbSize..MaxThumbSize.
    void SetThumbSize(qint32 value);
    // Stores the value only when it lies in MinThumbPadding..MaxThumbPadding.
    void SetThumbPadding(qint32 value);
    // Copies the desktop's wallpaper and style into the record, whatever the desktop reports,
    // and remembers a file the desktop reported as one of its own.
    void ReadWallpaper(TLxWallpaper& wallpaper);
    // Makes the record's picture the wallpaper. A file the desktop reported (same name) goes
    // back to it as it is, whatever its format. A picture the desktop takes as it is (BMP and
    // ".jpg" everywhere, PNG, SVG and others where the desktop reads them) goes so once it can
    // be opened and, for BMP and JPEG, its header shows that format; else EFOpenError
    // "Cannot open file \"%s\". %s" or EInvalidGraphic "Cannot use \"%s\" as wallpaper. %s".
    // Any other picture is converted into the cache first and the record then names the cache
    // file. These and the conversion errors pass through with desktop and record unchanged.
    // When the desktop refuses the file, raises EDesktopError "The desktop did not take the
    // wallpaper \"%s\"" and its reason, the record left as above.
    // A record without a file name (the desktop had no wallpaper) takes the picture away;
    // EDesktopError when the desktop refuses that.
    void ApplyWallpaper(TLxWallpaper& wallpaper);
    // Raises EDesktopError "The wallpaper is shown, but" and the desktop's notice when the last
    // wallpaper it took has one (it will not come back at the next login); else does nothing.
    void ReportDesktopNotice() const;
    // Reads the desktop's wallpaper back; raises EDesktopError naming both when its file or
    // style is not the record's, or with the desktop's reason when it cannot be asked.
    void VerifyWallpaper(const TLxWallpaper& wallpaper);
    // Converts a picture file to a BMP file, replacing the target all at once (a temporary file
    // renamed over it). False, doing nothing, when both name the same file; picture errors and
    // EFCreateError "Cannot create file \"%s\". %s" pass through, the target left as it was.
    bool ConvertToBitmap(const QString& source, const QString& target);
    // Deletes every "VL%*.bmp" file of the cache folder (that exact prefix and extension) that
    // is not the file of either record, links followed; a file that cannot be deleted is left.
    void CleanupCache();

private:
    void InitCacheFolder();
    // The error ApplyWallpaper raises when the desktop refused the file.
    EDesktopError Refusal(const QString& fileName) const;

    // The files ReadWallpaper got from the desktop.
    QSet<QString> FDesktopFiles;
};

// The live product application object, or null outside its lifetime.
extern TVelloriaApp* VelloriaApp;

// EDesktopError with the text, then ": " and the desktop's reason when it gave one.
EDesktopError DesktopError(const QString& text, const QString& reason);
// True when the file name's extension (dot included, empty without one) equals extension,
// ignoring the case of ASCII letters.
bool HasExtension(const QString& fileName, const QString& extension);
// The cache file for a source picture: the cache folder, "VL%", and the source's file name with
// its extension replaced by ".bmp".
QString GetCacheFileName(const QString& sourceFileName);
// True when both name the same file: their cleaned absolute paths are equal (exact comparison,
// as Linux file names are case-sensitive).
bool SameFileName(const QString& a, const QString& b);
