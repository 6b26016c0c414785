// velloria-desktop: the session's desktop wallpaper from the command line, for diagnosis and for
// the run script.
//   detect          prints the adapter name ("gnome", "xfce", "x11-root" ...) or "none"
//   get             prints the style (tiled, centered, stretched, zoomed, scaled), a TAB and
//                   the file name (a backslash written "\\", a line break "\n", so it stays
//                   one line; no name when the desktop shows no picture); exit 1 with the
//                   desktop's reason when it cannot be asked
//   set FILE STYLE  makes FILE the wallpaper in that style, converting pictures the desktop
//                   does not read itself into the cache first as the program does; prints the
//                   file handed to the desktop; exit 1 when the picture cannot be converted or
//                   the desktop did not take it or does not show that file in that style, or
//                   (after the line) when the desktop shows it but cannot keep it for the next
//                   login. The file the desktop shows (as get prints it) goes back to it as it
//                   is, in any format
//   restore         sets the last choice again where the desktop does not keep it itself;
//                   exit 1 with the desktop's reason when it cannot
#include "AppShell.h"
#include "DesktopFactory.h"
#include "Global.h"
#include "PictureFormats.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {
int Usage() {
    QTextStream(stderr) << "usage: velloria-desktop detect | get | set FILE STYLE | restore\n"
                           "STYLE: tiled, centered, stretched, zoomed or scaled\n";
    return 2;
}

int Fail(const Exception& error) {
    QTextStream(stderr) << error.ClassName() << ": " << error.Message() << '\n';
    return 1;
}

// The file name on one line: a line break becomes "\n" and a backslash "\\", so that a script
// reading line by line can undo both.
QString OneLine(const QString& fileName) {
    QString line = fileName;
    line.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return line;
}

int Get(IDesktopWallpaper& desktop) {
    QString fileName;
    TLxWallpaperStyle style = wsCentered;
    if (!desktop.GetWallpaper(fileName, style))
        return Fail(DesktopError(QStringLiteral("The desktop cannot tell which wallpaper it shows"),
                                 desktop.LastError()));
    QTextStream(stdout) << StyleWord(style) << '\t' << OneLine(fileName) << '\n';
    return 0;
}

// Goes through the product object, so that the same pictures are converted with the same errors,
// then reads the wallpaper back: a script wants to know that the desktop shows it.
int Set(std::unique_ptr<IDesktopWallpaper> desktop, const QString& file, const QString& styleWord) {
    TLxWallpaperStyle style = wsCentered;
    if (!StyleFromWord(styleWord, style))
        return Usage();
    try {
        RegisterPictureFormats();
        TVelloriaApp app;
        VelloriaApp = &app;
        app.ActiveDesktop = std::make_unique<TActiveDesktop>(std::move(desktop));
        // Read first, as the program does at start-up, so that the desktop's own file is known.
        TLxWallpaper shown;
        app.ReadWallpaper(shown);
        TLxWallpaper wallpaper{QFileInfo(file).absoluteFilePath(), style};
        app.ApplyWallpaper(wallpaper);
        app.VerifyWallpaper(wallpaper);
        QTextStream(stdout) << OneLine(wallpaper.FileName) << '\n';
        app.ReportDesktopNotice();
        VelloriaApp = nullptr;
        return 0;
    } catch (const Exception& error) {
        VelloriaApp = nullptr;
        return Fail(error);
    }
}

int Restore(IDesktopWallpaper& desktop) {
    if (desktop.Restore())
        return 0;
    return Fail(DesktopError(QStringLiteral("The desktop did not take the last wallpaper back"),
                             desktop.LastError()));
}

int Run(const QStringList& arguments) {
    const QString command = arguments.value(0);
    std::unique_ptr<IDesktopWallpaper> desktop = CreateDesktopWallpaper();
    if (command == QLatin1String("detect") && arguments.size() == 1) {
        QTextStream(stdout) << desktop->Name() << '\n';
        return 0;
    }
    if (command == QLatin1String("get") && arguments.size() == 1)
        return Get(*desktop);
    if (command == QLatin1String("set") && arguments.size() == 3)
        return Set(std::move(desktop), arguments[1], arguments[2]);
    if (command == QLatin1String("restore") && arguments.size() == 1)
        return Restore(*desktop);
    return Usage();
}
} // namespace

int main(int argc, char** argv) {
    PreventSessionBusLaunch();
    // Screen names (XFCE's monitors) need a windowing connection; the rest does not.
    const std::unique_ptr<QCoreApplication> app =
        DisplayAvailable() ? std::make_unique<QGuiApplication>(argc, argv)
                           : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    try {
        return Run(arguments);
    } catch (const Exception& error) {
        // No home folder, for one: there is nowhere to keep the state.
        return Fail(error);
    }
}
