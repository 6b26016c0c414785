#pragma once
// TJvImagesViewer: the item viewer that lists the picture files of one folder, one cell per file,
// and draws each picture shrunk into its cell. A cell's picture is read off the UI thread when the
// cell is painted: the cell shows empty until its small copy arrives, or a broken-picture mark
// when it cannot be read. The full picture is read only when an item's Picture is asked for.
// Memory reduction frees both again.

#include "JvItemViewer.h"
#include "JvThumbnailLoader.h"

#include <QStringList>
#include <exception>

class TPicture;
class TJvImagesViewer;

// The stage a loading picture reports; the picture classes report running progress only.
enum class TProgressStage { psStarting, psRunning, psEnding };

// The options of the images viewer: those of every item viewer and the picture's own.
class TJvImageViewerOptions : public TJvCustomItemViewerOptions {
public:
    using TJvCustomItemViewerOptions::TJvCustomItemViewerOptions;

    // The margin between the item rectangle and the picture area: 20.
    int ImagePadding() const { return FImagePadding; }
    void SetImagePadding(int value);
    // Copied into the transparency switch of every picture loaded from now on: false.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

private:
    int FImagePadding = 20;
    bool FTransparent = false;
};

// One picture file of the folder.
class TJvPictureItem : public TJvViewerItem {
public:
    explicit TJvPictureItem(TJvImagesViewer& owner);
    ~TJvPictureItem() override;

    // The full path as the scan found it.
    QString FileName() const { return FFileName; }
    // Takes a different name (exact comparison) when Changing allows it, and frees the picture
    // without a Changed notice; the same name keeps the item as it is.
    void SetFileName(const QString& value);
    // Shown in place of the file's name when not empty.
    QString Caption;

    // The picture, read from the file on first access and kept until memory reduction or a
    // rescan. A missing file (or a folder) gives a picture without graphic. A file that cannot
    // be read: with no OnLoadError hook, or one that leaves Handled false, the error passes on
    // and the item keeps an empty picture; when the hook sets Handled, the item is marked
    // Deleting, its removal is posted, and null is returned.
    TPicture* Picture();
    // The picture if one is held, without reading anything.
    TPicture* PictureIfLoaded() const { return FPicture.get(); }
    // Frees the picture (with a Changed notice) when the item has a file name and Changing
    // allows it.
    void ReduceMemory() override;

    // What the cell shows: nothing yet (its picture is being read, or not asked for), the
    // picture's small copy, or the reason it could not be read.
    enum class TCellState { csWaiting, csReady, csFailed };
    TCellState CellState() const { return FCellState; }
    // The small copy (at most the picture fitted into the picture area; null for a file that
    // vanished) and the picture's own size, while CellState is csReady.
    const QImage& CellImage() const { return FCell.Image; }
    QSize CellPictureSize() const { return FCell.PictureSize; }
    // Why the picture could not be read, naming the file, while CellState is csFailed.
    QString CellError() const { return FCell.Error; }

private:
    friend class TJvImagesViewer;
    TJvImagesViewer& Viewer() const;
    void LoadPicture(TPicture& picture);
    void TakeCell(const TThumbnailResult& result);
    QString FFileName;
    std::unique_ptr<TPicture> FPicture;
    TThumbnailResult FCell;
    TCellState FCellState = TCellState::csWaiting;
    // Lives as long as the item: a posted removal finds out whether the item is still there.
    std::shared_ptr<char> FAlive;
};

class TJvImagesViewer : public TJvCustomItemViewer {
    Q_OBJECT
public:
    // An empty viewer whose FileMask is the mask list of every registered picture format and
    // whose background is the palette's window (base) colour.
    explicit TJvImagesViewer(QWidget* parent = nullptr);
    ~TJvImagesViewer() override;

    TJvImageViewerOptions& Options() {
        return static_cast<TJvImageViewerOptions&>(TJvCustomItemViewer::Options());
    }
    const TJvImageViewerOptions& Options() const {
        return static_cast<const TJvImageViewerOptions&>(TJvCustomItemViewer::Options());
    }
    // The item at index (made on first request); raises EListError outside 0 .. Count - 1.
    TJvPictureItem* Items(int index) {
        return static_cast<TJvPictureItem*>(TJvCustomItemViewer::Items(index));
    }

    // File-name patterns separated by ";" or ","; "*" and "?" match without regard to case.
    QString FileMask() const { return FFileMask; }
    // Stores a different text (case counts) and rescans; the same text does nothing.
    void SetFileMask(const QString& value);
    // The folder whose files are listed; empty lists the process's current folder, and the
    // items then carry bare names.
    QString Directory() const { return FDirectory; }
    // Stores a different text (case counts) and rescans; the same text does nothing.
    void SetDirectory(const QString& value);
    // Lists the folder again, to show files added or removed since. The selection stays on the
    // same file name when that file is still listed, and is cleared otherwise.
    void Refresh();

    // The picture rectangle of index: its item rectangle less ImagePadding on every side.
    QRect PictureRect(int index) const;

    // Hooks; all optional.
    std::function<void(TJvImagesViewer* sender)> OnLoadBegin;
    std::function<void(TJvImagesViewer* sender)> OnLoadEnd;
    // Forwarded from a picture that is loading.
    std::function<void(TJvImagesViewer* sender, TJvPictureItem* item, TProgressStage stage,
                       int percentDone, bool redrawNow, const QRect& rect, const QString& message)>
        OnLoadProgress;
    // An item's Picture could not be read; setting handled removes the item instead of passing
    // the error on.
    std::function<void(TJvImagesViewer* sender, const std::exception& e, const QString& fileName,
                       bool& handled)>
        OnLoadError;
    // A cell's picture could not be read: once per failure, when it arrives (never from a paint),
    // with the reason naming the file. The cell keeps its mark until the folder is read again.
    std::function<void(TJvImagesViewer* sender, TJvPictureItem* item, const QString& message)>
        OnCellError;

    // The loader of the cell pictures, to look at its queue.
    const TJvThumbnailLoader& Loader() const { return *FLoader; }

protected:
    std::unique_ptr<TJvViewerItem> CreateItem(int index) override;
    void DrawItem(QPainter& canvas, int index, TCustomDrawState state, const QRect& itemRect,
                  const QRect& textRect) override;
    void SlotRemoved(int index) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class TJvPictureItem;
    // Lists the folder again; true when it holds items.
    bool Rescan();
    void PostRemoval(TJvPictureItem* item);
    void DrawPicture(QPainter& canvas, TJvPictureItem& item, const QRect& area);
    void CellArrived(const TThumbnailResult& result);
    void ShowCellToolTip(const QPoint& at, const QPoint& globalAt);
    void DrawCaption(QPainter& canvas, TJvPictureItem& item, const QRect& textRect);

    QString FFileMask;
    QString FDirectory;
    // The scan's folder prefix and names, one per slot, waiting for their items to be asked for.
    QString FPrefix;
    QStringList FNames;
    std::unique_ptr<TJvThumbnailLoader> FLoader;
    // The cells the paint under way found without their picture, in reading order.
    std::vector<TThumbnailJob> FWanted;
    bool FDrewCells = false;
};

// The colour of the broken-picture mark drawn in a cell whose picture cannot be read.
QColor BrokenPictureColor();

// The picture size fitted into area: kept when it fits, otherwise shrunk keeping its proportions
// (fractions cut), then centred in area.
QRect FitPicture(const QSize& picture, const QRect& area);
