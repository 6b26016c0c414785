// velloria-desktop: the session's desktop wallpaper from the command line, for diagnosis and for
// the run script.
//   detect          prints the adapter name ("gnome", "xfce", "x11-root" ...) or "none"
//   get             prints the style (tiled, centered, stretched), a TAB and the file name;
//                   exit 1 when the desktop cannot be asked
//   set FILE STYLE  makes FILE the wallpaper in that style; exit 1 when the desktop refuses
//   restore         sets the last choice again where the desktop does not keep it itself
#include "AppShell.h"
#include "DesktopFactory.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {
int Usage() {
    QTextStream(stderr) << "usage: velloria-desktop detect | get | set FILE STYLE | restore\n"
                           "STYLE: tiled, centered or stretched\n";
    return 2;
}

int Get(IDesktopWallpaper& desktop) {
    QString fileName;
    int style = wsCentered;
    if (!desktop.GetWallpaper(fileName, style))
        return 1;
    QTextStream(stdout) << StyleWord(style) << '\t' << fileName << '\n';
    return 0;
}

int Set(IDesktopWallpaper& desktop, const QString& file, const QString& styleWord) {
    int style = wsCentered;
    if (!StyleFromWord(styleWord, style))
        return Usage();
    return desktop.SetWallpaper(QFileInfo(file).absoluteFilePath(), style) ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    // Screen names (XFCE's monitors) need a windowing connection; the rest does not.
    const std::unique_ptr<QCoreApplication> app =
        DisplayAvailable() ? std::make_unique<QGuiApplication>(argc, argv)
                           : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    const std::unique_ptr<IDesktopWallpaper> desktop = CreateDesktopWallpaper();
    if (command == QLatin1String("detect") && arguments.size() == 1) {
        QTextStream(stdout) << desktop->Name() << '\n';
        return 0;
    }
    if (command == QLatin1String("get") && arguments.size() == 1)
        return Get(*desktop);
    if (command == QLatin1String("set") && arguments.size() == 3)
        return Set(*desktop, arguments[1], arguments[2]);
    if (command == QLatin1String("restore") && arguments.size() == 1)
        return desktop->Restore() ? 0 : 1;
    return Usage();
}
