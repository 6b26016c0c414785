#pragma once
// TJvImagesViewer: the item viewer that lists the picture files of one folder, one cell per file,
// and draws each picture shrunk into its cell. Pictures are read only when a cell is painted or
// an item's Picture is asked for, and freed again by memory reduction.

#include "JvItemViewer.h"

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
    // Makes the held picture empty after its drawing failed, so that the next paint shows an
    // empty cell instead of failing again.
    void ForgetGraphic();

private:
    friend class TJvImagesViewer;
    TJvImagesViewer& Viewer() const;
    void LoadPicture(TPicture& picture);
    QString FFileName;
    std::unique_ptr<TPicture> FPicture;
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
    // A picture could not be read; setting handled removes the item instead of passing the
    // error on.
    std::function<void(TJvImagesViewer* sender, const std::exception& e, const QString& fileName,
                       bool& handled)>
        OnLoadError;

protected:
    std::unique_ptr<TJvViewerItem> CreateItem(int index) override;
    void DrawItem(QPainter& canvas, int index, TCustomDrawState state, const QRect& itemRect,
                  const QRect& textRect) override;
    void SlotRemoved(int index) override;

private:
    friend class TJvPictureItem;
    // Lists the folder again; true when it holds items.
    bool Rescan();
    void PostRemoval(TJvPictureItem* item);
    void DrawPicture(QPainter& canvas, TJvPictureItem& item, const QRect& area);
    void DrawCaption(QPainter& canvas, TJvPictureItem& item, const QRect& textRect);

    QString FFileMask;
    QString FDirectory;
    // The scan's folder prefix and names, one per slot, waiting for their items to be asked for.
    QString FPrefix;
    QStringList FNames;
};

// The picture size fitted into area: kept when it fits, otherwise shrunk keeping its proportions
// (fractions cut), then centred in area.
QRect FitPicture(const QSize& picture, const QRect& area);
