#pragma once
// The desktop's wallpaper as the program sees it: one file and one of three styles. Each desktop
// family has its own adapter behind this interface; DesktopFactory picks the one that applies.

#include <QMap>
#include <QPair>
#include <QString>
#include <array>

// The program's style codes, which are also the item indexes of the main window's style list.
enum TLxWallpaperStyle : int { wsTiled = 0, wsCentered = 1, wsStretched = 2 };

class IDesktopWallpaper {
public:
    virtual ~IDesktopWallpaper() = default;

    // The adapter's short name: "gnome", "mate", "cinnamon", "xfce", "kde", "sway", "x11-root"
    // or "none".
    virtual QString Name() const = 0;
    // Fills in the wallpaper file and style in force and returns true; an empty file name when
    // the desktop shows no picture. When the desktop cannot be asked, returns false with an
    // empty file name and wsCentered.
    virtual bool GetWallpaper(QString& fileName, int& style) = 0;
    // Makes the file the wallpaper in the given style (a code outside 0..2 means centred); an
    // empty file name takes the picture away, leaving the desktop's plain background. Returns
    // false when the desktop refused or could not be reached.
    virtual bool SetWallpaper(const QString& fileName, int style) = 0;
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

// A service's own values for tiled, centred and stretched, in that order.
template <typename T> using TServiceStyles = std::array<T, 3>;

// The style code itself when it is one of the three, otherwise wsCentered.
inline int ValidStyle(int style) {
    return style >= wsTiled && style <= wsStretched ? style : wsCentered;
}

// The settings a desktop held when it reported a file and style, for each file and style it
// reported: setting that same file and style again puts them back as they were (a dark-mode
// picture, options outside our three styles), however many reads and writes came between.
template <typename TValues> class TReportedSettings {
public:
    // Keeps the values read when the desktop reported the file and style.
    void Remember(const QString& fileName, int style, const TValues& values) {
        FReported.insert({fileName, ValidStyle(style)}, values);
    }
    // The values kept for the file and style, or null when they were never reported.
    const TValues* Find(const QString& fileName, int style) const {
        const auto found = FReported.constFind({fileName, ValidStyle(style)});
        return found == FReported.cend() ? nullptr : &found.value();
    }

private:
    QMap<QPair<QString, int>, TValues> FReported;
};

// The service value for a style code; any code outside 0..2 is written as centred.
template <typename T> T StyleToService(int style, const TServiceStyles<T>& values) {
    return values[static_cast<std::size_t>(ValidStyle(style))];
}

// The style code for a service value; any value other than the three reads as centred.
template <typename T> int StyleFromService(const T& value, const TServiceStyles<T>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == value)
            return static_cast<int>(i);
    return wsCentered;
}

// "tiled", "centered" or "stretched"; a code outside 0..2 gives "centered".
QString StyleWord(int style);
// The style code for one of the three words; false when the word is none of them.
bool StyleFromWord(const QString& word, int& style);

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
