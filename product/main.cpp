// The main program: the start-up and shut-down sequence around the event loop.

#include "AppShell.h"
#include "DesktopWallpaper.h"
#include "FImage.h"
#include "FMain.h"
#include "Global.h"
#include "Help.h"
#include "Jpeg.h"
#include "LxConfiguration.h"
#include "PictureFormats.h"
#include "ProgramFile.h"
#include "ProgramIcon.h"
#include "SingleInstance.h"
#include "VelloriaVersion.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <cstdio>
#include <cstring>

namespace {
const char* const Usage =
    "Usage: velloria [-noconfig | -nc] [FOLDER]\n"
    "Choose the desktop wallpaper from the pictures of your folders.\n"
    "\n"
    "  FOLDER           open this folder instead of the one shown when you last quit\n"
    "  -noconfig, -nc   start with the default settings instead of the stored ones\n"
    "                   (the settings are still saved at exit)\n"
    "  --help           show this text\n"
    "  --version        show the version\n";

// --help and --version answer on standard output without opening a window.
bool AnswerInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            // Where the help pages are looked for: installed or in the build tree.
            std::printf("\nHelp pages: %s\n", qPrintable(HelpFolder()));
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velloria %s\n", VelloriaVersion);
            return true;
        }
    }
    return false;
}

// The folder named on the command line, absolute and cleaned; empty when none was named.
QString StartFolder(const TVelloriaApp& application) {
    const QStringList& args = application.CommandLine->Args;
    if (args.size() < 2 || args[1].isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(args[1]).absoluteFilePath());
}

// Settings that could not be written at exit are lost: the person is told before the program
// ends, and the exit status says so. Exit code 1 then, 0 otherwise.
int ReportUnsavedSettings() {
    const QString error = Configuration().SaveError();
    if (error.isEmpty())
        return 0;
    ShowClosingReport(QMessageBox::Warning, QStringLiteral("Velloria"),
                      QStringLiteral("Your settings could not be saved (%1). The next start will "
                                     "not have them.")
                          .arg(error));
    return 1;
}

// This session's program runs already: it opens the folder and comes forward, and this start
// ends before it has touched the settings. Exit code 0 once the running one took it, else 1.
int HandOverToRunningProgram(const QString& folder) {
    QString error;
    if (TSingleInstance::HandOver(folder, error))
        return 0;
    ShowClosingReport(
        QMessageBox::Critical, QStringLiteral("Velloria"),
        QStringLiteral("Velloria runs already in this session but does not answer: %1").arg(error));
    return 1;
}

int RunProgram() {
    TApplication shell;
    shell.Title = QStringLiteral("Velloria");
    QApplication::setApplicationName(shell.Title);
    // Outside a desktop session Qt knows no icon theme: the commands then take Adwaita's icons.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // Every window and the About dialog show it.
    QApplication::setWindowIcon(ProgramIcon());
    shell.HelpFile = QStringLiteral("velloria.chm");
    TMainForm mainForm;
    shell.MainForm = &mainForm;
    TImageForm imageForm;
    ImageForm = &imageForm;

    auto application = std::make_unique<TVelloriaApp>();
    VelloriaApp = application.get();
    application->Initialize();
    TSingleInstance session([&mainForm](const QString& folder) { mainForm.OpenFolder(folder); });
    if (!session.Claim())
        return HandOverToRunningProgram(StartFolder(*application));
    mainForm.StartFolder = StartFolder(*application);
    mainForm.show();
    shell.Run();
    application->Finalize();
    VelloriaApp = nullptr;
    return ReportUnsavedSettings();
}

// The windowing application, the program and the last-chance report around both.
int RunMain(int argc, char** argv) {
    if (AnswerInformationOption(argc, argv))
        return 0;
    if (!DisplayAvailable()) {
        ShowLastChance(Exception(QStringLiteral("Cannot open a display: set DISPLAY, or use "
                                                "scripts/run, which starts a virtual one")));
        return 1;
    }
    TGuardedApplication app(argc, argv);
    // JPEG output depth follows the screen's, set once at start-up.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        TJPEGImage::SetEightBitDisplay(screen->depth() <= 8);
    try {
        return RunProgram();
    } catch (const std::exception& error) {
        VelloriaApp = nullptr;
        ShowLastChance(error);
        return 1;
    }
}
} // namespace

int main(int argc, char** argv) {
    // Before anything else: a termination signal during start-up must not kill the program
    // before it can save, nor cut a save short.
    CatchTerminationSignals();
    // Without a session (a plain X window manager) no bus may be launched for us: it would
    // outlive the program.
    PreventSessionBusLaunch();
    RegisterPictureFormats();
    const int exitCode = RunMain(argc, argv);
    UnregisterPictureFormats();
    return exitCode;
}
