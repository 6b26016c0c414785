#include "SwaybgWallpaper.h"

#include "UserFolders.h"
#include "WallpaperPicture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryFile>
#include <QThread>

namespace {
const QString Program = QStringLiteral("swaybg");
const TServiceStyles<QString> Modes = {QStringLiteral("tile"), QStringLiteral("center"),
                                       QStringLiteral("stretch"), QStringLiteral("fill"),
                                       QStringLiteral("fit")};
const int StartTimeoutMs = 10000;
const int PollIntervalMs = 20;
// swaybg prints this once it has reached the compositor and matched an output to our picture.
const QByteArray TookOutput = "Found config";
// ... and this, still running, when it could not load the picture.
const QByteArray LoadFailed = "Failed to load";

// A line swaybg wrote, without its time stamp and source place.
QString Message(const QByteArray& line) {
    const qsizetype message = line.indexOf("] ");
    return QString::fromLocal8Bit(message < 0 ? line : line.mid(message + 2));
}

// The last line swaybg wrote.
QString LastLine(const QByteArray& log) {
    const QByteArray line = log.trimmed().split('\n').last();
    return line.isEmpty() ? QStringLiteral("no message") : Message(line);
}

// The first line swaybg wrote with the given text, or an empty text.
QString LineWith(const QByteArray& log, const QByteArray& text) {
    for (const QByteArray& line : log.split('\n'))
        if (line.contains(text))
            return Message(line);
    return QString();
}
} // namespace

TSwaybgWallpaper::TSwaybgWallpaper(std::unique_ptr<IProcessRunner> runner,
                                   const QString& stateFolder)
    : TStateFileWallpaper(stateFolder), FRunner(std::move(runner)) {}

QString TSwaybgWallpaper::Name() const {
    return QStringLiteral("sway");
}

QStringList TSwaybgWallpaper::AsIsExtensions() const {
    return CommonAsIsExtensions() << QStringLiteral(".png");
}

bool TSwaybgWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    if (fileName.isEmpty())
        return ClearWallpaper();
    // swaybg keeps running, showing nothing, when it cannot load the picture: the file must be
    // one that can be decoded before the old wallpaper is given up for it.
    QImage picture;
    QString error;
    if (!ReadWallpaperPicture(fileName, picture, error))
        return Failed(error);
    picture = QImage(); // swaybg decodes it again; ours need not stay while it runs
    TWallpaperState previous;
    const bool hadPrevious = LoadWallpaperState(FStateFolder, previous);
    // Black around a centred or scaled picture, as on the X root window.
    TProcessId started;
    if (!StartShown({QStringLiteral("-i"), fileName, QStringLiteral("-m"),
                     StyleToService(style, Modes), QStringLiteral("-c"), QStringLiteral("#000000")},
                    started))
        return false;
    if (!Remember(fileName, style, started)) {
        FRunner->Stop(started, Program);
        return false;
    }
    // The old instance goes only once the new one shows the picture and is on record.
    if (hadPrevious && previous.Process != started)
        FRunner->Stop(previous.Process, Program);
    return Succeeded();
}

bool TSwaybgWallpaper::ClearWallpaper() {
    TWallpaperState previous;
    const bool hadPrevious = LoadWallpaperState(FStateFolder, previous);
    // On record first: a swaybg stopped without it would be started again by the next Restore.
    if (!Remember(QString(), wsCentered))
        return false;
    if (hadPrevious && previous.Process.Pid != 0)
        FRunner->Stop(previous.Process, Program);
    return Succeeded();
}

// Starts swaybg with its messages in a file of the state folder, read until it shows the
// picture or fails; the file goes afterwards (swaybg writes on into the unlinked file, so its
// later messages cannot block or kill it as a closed pipe would).
bool TSwaybgWallpaper::StartShown(const QStringList& arguments, TProcessId& started) {
    if (!ForceDirectories(FStateFolder))
        return Failed(QStringLiteral("cannot create the folder %1").arg(FStateFolder));
    QTemporaryFile log(IncludeTrailingPathDelimiter(FStateFolder) +
                       QStringLiteral("swaybg-XXXXXX"));
    if (!log.open())
        return Failed(
            QStringLiteral("cannot create a file in %1: %2").arg(FStateFolder, log.errorString()));
    started = FRunner->Start(Program, arguments, log.fileName());
    if (started.Pid == 0)
        return Failed(QStringLiteral("cannot start swaybg: %1").arg(LastLine(log.readAll())));
    if (WaitUntilShown(started, log.fileName()))
        return true;
    FRunner->Stop(started, Program);
    return false;
}

bool TSwaybgWallpaper::WaitUntilShown(const TProcessId& process, const QString& errorFile) {
    const QDeadlineTimer deadline(StartTimeoutMs);
    for (;;) {
        QFile file(errorFile);
        const QByteArray log = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QString loadFailure = LineWith(log, LoadFailed);
        if (!loadFailure.isEmpty())
            return Failed(QStringLiteral("swaybg: %1").arg(loadFailure));
        if (!FRunner->Running(process))
            return Failed(QStringLiteral("swaybg exited: %1").arg(LastLine(log)));
        if (log.contains(TookOutput))
            return true;
        if (deadline.hasExpired())
            return Failed(QStringLiteral("swaybg did not reach the compositor within %1 s")
                              .arg(StartTimeoutMs / 1000));
        QThread::msleep(PollIntervalMs);
    }
}
