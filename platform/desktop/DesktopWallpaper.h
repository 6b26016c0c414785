#pragma once
// The desktop's wallpaper as the program sees it: one file and one of five styles. Each desktop
// family has its own adapter behind this interface; DesktopFactory picks the one that applies.

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

// The program's style codes, which are also the item indexes of the main window's style list.
// One byte, as the wallpaper record stores it: a value past wsScaled can arrive (a damaged
// state file, a caller's code) and is set and read as centred.
enum TLxWallpaperStyle : quint8 {
    wsTiled = 0,     // at its own size, repeated from the top-left corner
    wsCentered = 1,  // at its own size, once in the middle
    wsStretched = 2, // to the screen's width and height, its shape not kept
    wsZoomed = 3,    // its shape kept, covering the whole screen, the overflow cut
    wsScaled = 4,    // its shape kept, just fitting the screen, the rest background colour
};
inline constexpr int WallpaperStyleCount = 5;

// The extensions every desktop is handed as they are: BMP, and JPEG under its short name.
inline QStringList CommonAsIsExtensions() {
    return {QStringLiteral(".bmp"), QStringLiteral(".jpg")};
}

class IDesktopWallpaper {
public:
    virtual ~IDesktopWallpaper() = default;

    // The adapter's short name: "gnome", "mate", "cinnamon", "xfce", "kde", "sway", "x11-root"
    // or "none".
    virtual QString Name() const = 0;
    // Fills in the wallpaper file and style in force and returns true; an empty file name when
    // the desktop shows no picture. When the desktop cannot be asked, returns false with an
    // empty file name and wsCentered.
    virtual bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) = 0;
    // Makes the file the wallpaper in the given style (a code past wsScaled means centred); an
    // empty file name takes the picture away, leaving the desktop's plain background. Returns
    // false when the desktop refused or could not be reached.
    virtual bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) = 0;
    // The extensions (".png", lower case, dot included) of the pictures this desktop reads
    // itself, so that they go to it as they are; every other picture is converted to a BMP
    // first. Every desktop takes BMP and JPEG named ".jpg".
    virtual QStringList AsIsExtensions() const { return CommonAsIsExtensions(); }
    // Puts the last wallpaper set back where the desktop does not keep it across sessions
    // (root window, swaybg). Elsewhere the desktop keeps it and this does nothing but return
    // true. False when it was needed and failed.
    virtual bool Restore() { return Succeeded(); }
    // Why the last GetWallpaper, SetWallpaper or Restore that returned false failed, in words a
    // person can act on (the desktop's own answer where it gave one); empty after a success.
    QString LastError() const { return FLastError; }
    // What went wrong beside the wallpaper this adapter set last, which a person should still
    // hear of (it is shown but will not come back at the next login); empty when nothing did.
    // Only a successful set changes it.
    QString LastNotice() const { return FLastNotice; }

protected:
    // Records the reason and gives back false, for "return Failed(...)".
    bool Failed(const QString& reason) {
        FLastError = reason;
        return false;
    }
    // Clears the reason and gives back true.
    bool Succeeded() {
        FLastError.clear();
        return true;
    }
    // Clears the reason, replaces the notice and gives back true.
    bool SucceededWithNotice(const QString& notice) {
        FLastNotice = notice;
        return Succeeded();
    }

    QString FLastError;
    QString FLastNotice;
};

// A service's own values for tiled, centred, stretched, zoomed and scaled, in that order.
template <typename T> using TServiceStyles = std::array<T, WallpaperStyleCount>;

// The style for a code: the code itself when it is one of the five, otherwise wsCentered.
inline TLxWallpaperStyle ValidStyle(int code) {
    return code >= wsTiled && code <= wsScaled ? TLxWallpaperStyle(code) : wsCentered;
}

// The settings a desktop held when it reported a file and style, for each file and style it
// reported: setting that same file and style again puts them back as they were (a dark-mode
// picture, options outside our five styles), however many reads and writes came between.
template <typename TValues> class TReportedSettings {
public:
    // Keeps the values read when the desktop reported the file and style.
    void Remember(const QString& fileName, TLxWallpaperStyle style, const TValues& values) {
        FReported.insert({fileName, ValidStyle(style)}, values);
    }
    // The values kept for the file and style, or null when they were never reported.
    const TValues* Find(const QString& fileName, TLxWallpaperStyle style) const {
        const auto found = FReported.constFind({fileName, ValidStyle(style)});
        return found == FReported.cend() ? nullptr : &found.value();
    }

private:
    QMap<QPair<QString, TLxWallpaperStyle>, TValues> FReported;
};

// The service value for a style; any code past wsScaled is written as centred.
template <typename T> T StyleToService(TLxWallpaperStyle style, const TServiceStyles<T>& values) {
    return values[static_cast<std::size_t>(ValidStyle(style))];
}

// The style for a service value; any value other than the five reads as centred.
template <typename T>
TLxWallpaperStyle StyleFromService(const T& value, const TServiceStyles<T>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == value)
            return TLxWallpaperStyle(i);
    return wsCentered;
}

// "tiled", "centered", "stretched", "zoomed" or "scaled"; a code past wsScaled gives
// "centered".
QString StyleWord(TLxWallpaperStyle style);
// The style for one of the five words; false when the word is none of them.
bool StyleFromWord(const QString& word, TLxWallpaperStyle& style);

// True when a session bus is announced (DBUS_SESSION_BUS_ADDRESS, or $XDG_RUNTIME_DIR/bus).
// Without one, asking for the session bus would make libdbus or GIO launch a bus of their own,
// which would outlive us. The "disabled:" address that PreventSessionBusLaunch sets is none.
bool SessionBusAnnounced();
// When no session bus is announced, sets DBUS_SESSION_BUS_ADDRESS to "disabled:" so that neither
// libdbus (for Qt) nor GIO launches one that would outlive the program. Call it first in main,
// before any library can ask for the bus.
void PreventSessionBusLaunch();

// A local file URL ("file:///...") becomes its local path, its escapes decoded to bytes and the
// bytes to a file name; anything else, such as the bare path that some desktops write, is
// returned as it is.
QString FileNameFromSetting(const QString& value);
