#pragma once
// TJvThumbnailLoader: reads the pictures of thumbnail cells on worker threads, one per core, and
// hands each back to the UI thread as a small image no larger than its cell's picture area. The
// UI thread only hands out jobs and takes results; it never waits for a worker, not even when the
// loader goes away, so a read hung on a dead network share cannot hold the program open.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// One cell's picture to read. Key names the cell for the owner (never dereferenced here).
struct TThumbnailJob {
    const void* Key = nullptr;
    QString FileName;
    QSize Box;
    bool Transparent = false;
    bool operator==(const TThumbnailJob&) const = default;
};

// What a job gave: the picture's own size and its image fitted into the box, or an error text
// naming the file. A file that is gone (or is a folder) gives neither, quietly.
struct TThumbnailResult {
    TThumbnailJob Job;
    QSize PictureSize;
    QImage Image;
    QString Error;
};

// Reads one cell's picture where the caller runs (a worker, or a tool): opens the file without
// waiting on FIFOs or devices, makes the graphic its extension is registered for and reads it at
// the box's size. Never raises: every failure, running out of memory included, becomes the
// result's Error, naming the file.
TThumbnailResult ReadCellPicture(const TThumbnailJob& job);

class TJvThumbnailLoader : public QObject {
    Q_OBJECT
public:
    // A loader with workers threads (started as work comes); results reach onLoaded on the
    // thread that made the loader, through its event loop.
    using TDelivery = std::function<void(const TThumbnailResult&)>;
    TJvThumbnailLoader(TDelivery onLoaded, int workers);
    // Drops the queued jobs and every result not yet delivered; returns at once, leaving
    // running workers to finish (or hang) on their own.
    ~TJvThumbnailLoader() override;

    // Replaces the queue with jobs, to be read in their order; a job already being read, or read
    // and not yet delivered, is not queued again. Queued jobs missing from the list are dropped.
    void Want(const std::vector<TThumbnailJob>& jobs);
    // Drops the queued jobs and the results of those being read (a folder was left).
    void Clear();
    // The jobs queued and not yet taken by a worker.
    int Queued() const;

    // The number of worker threads for this machine: its cores.
    static int WorkersForThisMachine();

private:
    struct TState;
    static void WorkLoop(const std::shared_ptr<TState>& state);
    void Deliver(const TThumbnailResult& result, quint64 generation);
    TDelivery FOnLoaded;
    std::shared_ptr<TState> FState;
};
