#include "JvThumbnailLoader.h"

#include "AppShell.h"
#include "AtomicFile.h"
#include "FileFormats.h"
#include "JvImagesViewer.h"
#include "ProgramFile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include <unistd.h>

struct TJvThumbnailLoader::TState {
    std::mutex Lock;
    std::condition_variable Wake;
    std::deque<TThumbnailJob> Queue;
    // Taken by a worker, its result not yet delivered.
    std::vector<TThumbnailJob> Active;
    // Moves on with every Clear: results of an older one are dropped.
    quint64 Generation = 0;
    int MaxWorkers = 1;
    int Workers = 0;
    int IdleWorkers = 0;
    // Null once the loader is gone: the workers then end as soon as they are free.
    TJvThumbnailLoader* Owner = nullptr;
};

namespace {

// The image shrunk to the size the picture fits into the box, when it is any larger: what a
// reader gives may be a reduced decode that is still bigger than the cell.
QImage FittedCopy(const TThumbnailImage& read, const QSize& box) {
    const QSize fitted = FitPicture(read.PictureSize, QRect(QPoint(), box)).size();
    if (fitted.isEmpty())
        return {};
    if (read.Image.width() <= fitted.width() && read.Image.height() <= fitted.height())
        return read.Image;
    return read.Image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Nothing when no file is there (any more).
std::optional<TThumbnailImage> ReadThumbnailOf(const QString& path, const TThumbnailJob& job) {
    QFile file;
    const int fd = OpenFileForReading(path);
    if (fd < 0)
        return std::nullopt;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EFOpenError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    }
    const QString extension = ExtractFileExt(path).mid(1);
    const TGraphicClass graphicClass = FileFormats().FindExt(extension);
    if (!graphicClass)
        throw EInvalidGraphic(
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    std::unique_ptr<TGraphic> graphic(qobject_cast<TGraphic*>(graphicClass->newInstance()));
    LX_ASSERT(graphic);
    graphic->SetTransparent(job.Transparent);
    return graphic->ReadThumbnail(file, job.Box);
}
} // namespace

TThumbnailResult ReadCellPicture(const TThumbnailJob& job) {
    TThumbnailResult result{job, {}, {}, {}};
    const QString name = job.FileName;
    try {
        const QString path = name.isEmpty() ? QString() : ExpandFileName(name);
        // A file removed after the scan, or replaced by a folder, leaves its cell empty.
        if (path.isEmpty() || QFileInfo(path).isDir())
            return result;
        const std::optional<TThumbnailImage> read = ReadThumbnailOf(path, job);
        if (!read)
            return result;
        // An empty file reads as an empty picture: to the person that is a picture not read.
        if (read->PictureSize.isEmpty())
            throw EInvalidGraphic(QStringLiteral("The file holds no picture."));
        result.PictureSize = read->PictureSize;
        result.Image = FittedCopy(*read, job.Box);
    } catch (const std::bad_alloc&) {
        result.Error = QStringLiteral("Not enough memory to read the picture \"%1\".").arg(name);
    } catch (const std::exception& error) {
        result.Error = QStringLiteral("Cannot read the picture \"%1\": %2")
                           .arg(name, QString::fromUtf8(error.what()));
    } catch (...) {
        result.Error = QStringLiteral("Cannot read the picture \"%1\".").arg(name);
    }
    if (!result.Error.isEmpty())
        result.Image = QImage();
    return result;
}

void TJvThumbnailLoader::WorkLoop(const std::shared_ptr<TState>& state) {
    std::unique_lock lock(state->Lock);
    for (;;) {
        ++state->IdleWorkers;
        state->Wake.wait(lock, [&] { return !state->Owner || !state->Queue.empty(); });
        --state->IdleWorkers;
        if (!state->Owner) {
            --state->Workers;
            return;
        }
        const TThumbnailJob job = state->Queue.front();
        state->Queue.pop_front();
        state->Active.push_back(job);
        const quint64 generation = state->Generation;
        lock.unlock();
        TThumbnailResult result = ReadCellPicture(job);
        lock.lock();
        // Posted under the lock, so that the loader cannot be destroyed in between.
        if (TJvThumbnailLoader* owner = state->Owner; owner && generation == state->Generation)
            QMetaObject::invokeMethod(
                owner,
                [owner, result = std::move(result), generation] {
                    Guarded([&] { owner->Deliver(result, generation); });
                },
                Qt::QueuedConnection);
    }
}

TJvThumbnailLoader::TJvThumbnailLoader(TDelivery onLoaded, int workers)
    : FOnLoaded(std::move(onLoaded)), FState(std::make_shared<TState>()) {
    FState->MaxWorkers = std::max(workers, 1);
    FState->Owner = this;
}

TJvThumbnailLoader::~TJvThumbnailLoader() {
    {
        const std::lock_guard lock(FState->Lock);
        FState->Owner = nullptr;
        FState->Queue.clear();
        FState->Active.clear();
    }
    FState->Wake.notify_all();
}

int TJvThumbnailLoader::WorkersForThisMachine() {
    return std::max(QThread::idealThreadCount(), 1);
}

void TJvThumbnailLoader::Want(const std::vector<TThumbnailJob>& jobs) {
    int start = 0;
    {
        const std::lock_guard lock(FState->Lock);
        auto& queue = FState->Queue;
        const auto& active = FState->Active;
        queue.clear();
        for (const TThumbnailJob& job : jobs)
            if (std::find(active.begin(), active.end(), job) == active.end() &&
                std::find(queue.begin(), queue.end(), job) == queue.end())
                queue.push_back(job);
        const int waiting = int(queue.size()) - FState->IdleWorkers;
        start = std::clamp(waiting, 0, FState->MaxWorkers - FState->Workers);
        FState->Workers += start;
    }
    FState->Wake.notify_all();
    // Detached: nothing ever joins a worker, which may be stuck in the kernel.
    for (int i = 0; i < start; ++i)
        std::thread(WorkLoop, FState).detach();
}

void TJvThumbnailLoader::Clear() {
    const std::lock_guard lock(FState->Lock);
    FState->Queue.clear();
    FState->Active.clear();
    ++FState->Generation;
}

int TJvThumbnailLoader::Queued() const {
    const std::lock_guard lock(FState->Lock);
    return int(FState->Queue.size());
}

void TJvThumbnailLoader::Deliver(const TThumbnailResult& result, quint64 generation) {
    {
        const std::lock_guard lock(FState->Lock);
        if (generation != FState->Generation)
            return;
        auto& active = FState->Active;
        const auto found = std::find(active.begin(), active.end(), result.Job);
        if (found != active.end())
            active.erase(found);
    }
    FOnLoaded(result);
}
