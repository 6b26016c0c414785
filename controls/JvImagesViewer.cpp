#include "JvImagesViewer.h"

#include "AppShell.h"
#include "FileFormats.h"
#include "Picture.h"
#include "ProgramFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>
#include <algorithm>
#include <numeric>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The folder prefix of the listed paths: the expanded folder with its trailing "/", or nothing
// for the current folder.
QString FolderPrefix(const QString& directory) {
    if (directory.isEmpty())
        return {};
    QString prefix = ExpandFileName(directory);
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    return prefix;
}

// The mask's patterns: "*.ext" ones (a star, then no wildcard) kept as their case-folded
// endings, which a name matches by a case-blind comparison of its end without a folded copy of
// it; the others case-folded whole.
struct TPatterns {
    QStringList Endings;
    QStringList Others;
};

// The non-empty patterns of the mask, split at ";" and ",", blanks kept.
TPatterns SplitMask(const QString& mask) {
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    TPatterns patterns;
    for (const QString& pattern : mask.split(separators)) {
        if (pattern.isEmpty())
            continue;
        const QString folded = pattern.toCaseFolded();
        const QStringView ending = QStringView(folded).sliced(1);
        if (folded.front() == QLatin1Char('*') && !ending.contains(QLatin1Char('*')) &&
            !ending.contains(QLatin1Char('?')))
            patterns.Endings << ending.toString();
        else
            patterns.Others << folded;
    }
    return patterns;
}

// Whether the case-folded name matches the case-folded pattern: "*" any run, "?" one character.
bool WildcardMatch(QStringView name, QStringView pattern) {
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool MatchesAny(const QString& name, const TPatterns& patterns) {
    const auto endsWith = [&name](const QString& ending) {
        return name.endsWith(ending, Qt::CaseInsensitive);
    };
    if (std::any_of(patterns.Endings.begin(), patterns.Endings.end(), endsWith))
        return true;
    if (patterns.Others.isEmpty())
        return false;
    const QString folded = name.toCaseFolded();
    return std::any_of(
        patterns.Others.begin(), patterns.Others.end(),
        [&folded](const QString& pattern) { return WildcardMatch(folded, pattern); });
}

// Folders (and links to folders) are never listed; anything else is.
bool IsFolder(DIR* folder, const dirent& entry) {
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status {};
    return ::fstatat(::dirfd(folder), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

// The names in the folder that match a pattern, every kind of entry but folders, hidden ones
// included; nothing when the folder cannot be listed.
QStringList MatchingNames(const QString& folder, const TPatterns& patterns) {
    QStringList names;
    DIR* listing = ::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder));
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (MatchesAny(name, patterns) && !IsFolder(listing, *entry))
            names << name;
    }
    ::closedir(listing);
    return names;
}

// Sorts without regard to case in the user's locale; names equal that way keep a fixed order
// (case-sensitive, then by code), so that a.jpg and A.JPG are both kept. Exact repeats go.
void SortNames(QStringList& names) {
    const QLocale locale;
    QCollator collator(locale);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(names.size()));
    for (const QString& name : names)
        keys.push_back(collator.sortKey(locale.toLower(name)));
    std::vector<qsizetype> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int byKey = keys[size_t(a)].compare(keys[size_t(b)]); byKey != 0)
            return byKey < 0;
        if (const int byCase = collator.compare(names[a], names[b]); byCase != 0)
            return byCase < 0;
        return names[a] < names[b];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        if (sorted.isEmpty() || sorted.last() != names[i])
            sorted << std::move(names[i]);
    names = std::move(sorted);
}

} // namespace

// ---- TJvImageViewerOptions ----

void TJvImageViewerOptions::SetImagePadding(int value) {
    Change(FImagePadding, value, TEffect::Recompute);
}

void TJvImageViewerOptions::SetTransparent(bool value) {
    Change(FTransparent, value, TEffect::Recompute);
}

// ---- TJvPictureItem ----

TJvPictureItem::TJvPictureItem(TJvImagesViewer& owner)
    : TJvViewerItem(owner), FAlive(std::make_shared<char>()) {}

TJvPictureItem::~TJvPictureItem() = default;

TJvImagesViewer& TJvPictureItem::Viewer() const {
    return static_cast<TJvImagesViewer&>(Owner());
}

void TJvPictureItem::SetFileName(const QString& value) {
    if (value == FFileName || !Changing())
        return;
    FFileName = value;
    FPicture.reset();
    FCell = {};
    FCellState = TCellState::csWaiting;
}

TPicture* TJvPictureItem::Picture() {
    if (FPicture)
        return FPicture.get();
    FPicture = std::make_unique<TPicture>();
    QObject::connect(FPicture.get(), &TPicture::Changed,
                     [this] { Guarded([this] { Changed(); }); });
    QObject::connect(FPicture.get(), &TPicture::Progress, [this](int percent) {
        Guarded([this, percent] {
            TJvImagesViewer& viewer = Viewer();
            if (viewer.OnLoadProgress)
                viewer.OnLoadProgress(&viewer, this, TProgressStage::psRunning, percent, false,
                                      QRect(), QString());
        });
    });
    const QString path = FFileName.isEmpty() ? QString() : ExpandFileName(FFileName);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists() || file.isDir())
        return FPicture.get();
    try {
        LoadPicture(*FPicture);
    } catch (const std::exception& error) {
        bool handled = false;
        TJvImagesViewer& viewer = Viewer();
        if (viewer.OnLoadError)
            viewer.OnLoadError(&viewer, error, FFileName, handled);
        if (!handled)
            throw;
        SetDeleting(true);
        viewer.PostRemoval(this);
        FPicture.reset();
        return nullptr;
    }
    return FPicture.get();
}

void TJvPictureItem::LoadPicture(TPicture& picture) {
    picture.LoadFromFile(ExpandFileName(FFileName));
    if (TGraphic* graphic = picture.Graphic())
        graphic->SetTransparent(Viewer().Options().Transparent());
}

void TJvPictureItem::ReduceMemory() {
    // A failure is kept: read again on its way back into view, it would be reported again.
    const bool cellHeld = FCellState == TCellState::csReady;
    if (FFileName.isEmpty() || (!FPicture && !cellHeld) || !Changing())
        return;
    FPicture.reset();
    if (cellHeld) {
        FCell = {};
        FCellState = TCellState::csWaiting;
    }
    Changed();
}

void TJvPictureItem::TakeCell(const TThumbnailResult& result) {
    FCell = result;
    FCellState = result.Error.isEmpty() ? TCellState::csReady : TCellState::csFailed;
}

// ---- TJvImagesViewer ----

TJvImagesViewer::TJvImagesViewer(QWidget* parent)
    : TJvCustomItemViewer(parent,
                          [](TJvCustomItemViewer& owner) {
                              return std::make_unique<TJvImageViewerOptions>(owner);
                          }),
      FFileMask(FileFormats().MaskList(&TGraphic::staticMetaObject)),
      FLoader(std::make_unique<TJvThumbnailLoader>(
          [this](const TThumbnailResult& result) { CellArrived(result); },
          TJvThumbnailLoader::WorkersForThisMachine())) {}

TJvImagesViewer::~TJvImagesViewer() = default;

void TJvImagesViewer::SetFileMask(const QString& value) {
    if (value == FFileMask)
        return;
    FFileMask = value;
    Rescan();
}

void TJvImagesViewer::SetDirectory(const QString& value) {
    if (value == FDirectory)
        return;
    FDirectory = value;
    Rescan();
}

void TJvImagesViewer::Refresh() {
    const int selected = SelectedIndex();
    const QString name = selected >= 0 && selected < FNames.size() ? FNames[selected] : QString();
    Rescan();
    if (const int index = int(FNames.indexOf(name)); !name.isEmpty() && index >= 0)
        SetSelectedIndex(index);
}

bool TJvImagesViewer::Rescan() {
    BeginUpdate();
    try {
        // Nothing read for the folder left is wanted any more.
        FLoader->Clear();
        FNames.clear();
        SetCount(0);
        FPrefix = FolderPrefix(FDirectory);
        const TPatterns patterns = SplitMask(FFileMask);
        if (OnLoadBegin)
            OnLoadBegin(this);
        FNames = MatchingNames(FPrefix, patterns);
        SortNames(FNames);
        SetCount(int(FNames.size()));
        if (OnLoadEnd)
            OnLoadEnd(this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return Count() > 0;
}

std::unique_ptr<TJvViewerItem> TJvImagesViewer::CreateItem(int index) {
    auto item = std::make_unique<TJvPictureItem>(*this);
    if (index < FNames.size())
        item->SetFileName(FPrefix + FNames[index]);
    return item;
}

void TJvImagesViewer::SlotRemoved(int index) {
    if (index < FNames.size())
        FNames.removeAt(index);
}

void TJvImagesViewer::PostRemoval(TJvPictureItem* item) {
    std::weak_ptr<char> alive = item->FAlive;
    QMetaObject::invokeMethod(
        this,
        [this, item, alive] {
            Guarded([&] {
                if (alive.expired())
                    return;
                if (const int index = ItemList().IndexOf(item); index >= 0)
                    DeleteItem(index);
            });
        },
        Qt::QueuedConnection);
}

QRect TJvImagesViewer::PictureRect(int index) const {
    const int padding = Options().ImagePadding();
    return ItemRect(index).adjusted(padding, padding, -padding, -padding);
}

// ---- Drawing a cell ----

namespace {
// A frame of the given width along the inside of rect.
void DrawFrame(QPainter& canvas, const QRect& rect, const QColor& color, int width) {
    if (width <= 0 || !color.isValid())
        return;
    width = std::min({width, rect.width(), rect.height()});
    canvas.fillRect(QRect(rect.left(), rect.top(), rect.width(), width), color);
    canvas.fillRect(QRect(rect.left(), rect.bottom() - width + 1, rect.width(), width), color);
    canvas.fillRect(QRect(rect.left(), rect.top(), width, rect.height()), color);
    canvas.fillRect(QRect(rect.right() - width + 1, rect.top(), width, rect.height()), color);
}

Qt::Alignment CaptionAlignment(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return Qt::AlignLeft;
    case TAlignment::taRightJustify:
        return Qt::AlignRight;
    default:
        return Qt::AlignHCenter;
    }
}

// A picture frame crossed out, centred in area: the mark of a picture that cannot be read.
void DrawBrokenMark(QPainter& canvas, const QRect& area) {
    const int side = std::min({area.width(), area.height(), 32});
    if (side < 4)
        return;
    const QRect mark(area.center() - QPoint(side / 2, side / 2), QSize(side, side));
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(QColor(128, 128, 128), 1));
    canvas.drawRect(mark.adjusted(0, 0, -1, -1));
    canvas.setPen(QPen(BrokenPictureColor(), 3));
    const QRect cross = mark.adjusted(side / 4, side / 4, -side / 4, -side / 4);
    canvas.drawLine(cross.topLeft(), cross.bottomRight());
    canvas.drawLine(cross.topRight(), cross.bottomLeft());
    canvas.restore();
}
} // namespace

void TJvImagesViewer::DrawItem(QPainter& canvas, int index, TCustomDrawState state,
                               const QRect& itemRect, const QRect& textRect) {
    TJvCustomItemViewer::DrawItem(canvas, index, state, itemRect, textRect);
    auto& options = Options();
    TJvPictureItem& item = *Items(index);
    canvas.setFont(font());
    canvas.setPen(palette().color(QPalette::Text));
    canvas.setBackgroundMode(Qt::TransparentMode);
    const bool hot = options.HotTrack() && state.testFlag(cdsHot);
    if (hot) {
        QFont underlined = font();
        underlined.setUnderline(true);
        canvas.setFont(underlined);
        canvas.setPen(palette().color(QPalette::Highlight));
        DrawFrame(canvas, itemRect, options.HotColor(), options.HotFrameSize());
    }
    if (state.testFlag(cdsSelected)) {
        canvas.fillRect(itemRect, options.BrushPattern().Brush());
        DrawFrame(canvas, itemRect, palette().color(QPalette::Button), 1);
        DrawFrame(canvas, itemRect, options.HotColor(), options.HotFrameSize());
        canvas.setPen(palette().color(QPalette::HighlightedText));
        canvas.setBackground(palette().color(QPalette::Highlight));
        canvas.setBackgroundMode(Qt::OpaqueMode);
    } else if (!hot) {
        DrawFrame(canvas, itemRect, options.FrameColor(), 1);
    }
    const int padding = options.ImagePadding();
    DrawPicture(canvas, item, itemRect.adjusted(padding, padding, -padding, -padding));
    if (options.ShowCaptions())
        DrawCaption(canvas, item, textRect.adjusted(0, 2, 0, 0));
}

QColor BrokenPictureColor() {
    return {192, 0, 0};
}

void TJvImagesViewer::paintEvent(QPaintEvent* event) {
    Guarded([this, event] {
        FWanted.clear();
        FDrewCells = false;
        TJvCustomItemViewer::paintEvent(event);
        // Every paint draws all the cells in view, so what it missed is the whole work wanted
        // now: cells that left the view are dropped from the queue.
        if (FDrewCells)
            FLoader->Want(FWanted);
        FWanted.clear();
    });
}

void TJvImagesViewer::DrawPicture(QPainter& canvas, TJvPictureItem& item, const QRect& area) {
    FDrewCells = true;
    const TThumbnailJob job{&item, item.FileName(), area.size(), Options().Transparent()};
    switch (item.CellState()) {
    case TJvPictureItem::TCellState::csWaiting:
        if (!item.FileName().isEmpty())
            FWanted.push_back(job);
        return;
    case TJvPictureItem::TCellState::csFailed:
        DrawBrokenMark(canvas, area);
        return;
    case TJvPictureItem::TCellState::csReady:
        break;
    }
    // A copy made for another cell size is drawn until the one for this size arrives.
    if (!(item.FCell.Job == job))
        FWanted.push_back(job);
    const QImage& image = item.CellImage();
    const QRect fitted = FitPicture(item.CellPictureSize(), area);
    if (image.isNull() || fitted.width() < 1 || fitted.height() < 1)
        return;
    canvas.drawImage(fitted, image);
}

void TJvImagesViewer::CellArrived(const TThumbnailResult& result) {
    auto* item = static_cast<TJvPictureItem*>(const_cast<void*>(result.Job.Key));
    // The item may have gone, or been given another file, since the job was handed out.
    const int index = ItemList().IndexOf(item);
    if (index < 0 || item->FileName() != result.Job.FileName)
        return;
    // Scrolled out of view meanwhile: memory reduction would free it, and a failure is reported
    // when the cell is back in view.
    if (Options().ReduceMemoryUsage() && !CellRect(index).intersects(viewport()->rect()))
        return;
    const bool failedBefore = item->CellState() == TJvPictureItem::TCellState::csFailed;
    item->TakeCell(result);
    item->Changed();
    if (!result.Error.isEmpty() && !failedBefore && OnCellError)
        OnCellError(this, item, result.Error);
}

bool TJvImagesViewer::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return TJvCustomItemViewer::viewportEvent(event);
    Guarded([this, event] {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowCellToolTip(help->pos(), help->globalPos());
    });
    return true;
}

void TJvImagesViewer::ShowCellToolTip(const QPoint& at, const QPoint& globalAt) {
    const int index = CellIndexAt(at.x(), at.y());
    const auto* item = static_cast<const TJvPictureItem*>(ItemList().Existing(index));
    if (item && item->CellState() == TJvPictureItem::TCellState::csFailed)
        QToolTip::showText(globalAt, item->CellError(), viewport(), CellRect(index));
    else
        QToolTip::hideText();
}

void TJvImagesViewer::DrawCaption(QPainter& canvas, TJvPictureItem& item, const QRect& textRect) {
    QString caption = item.Caption.isEmpty() ? ExtractFileName(item.FileName()) : item.Caption;
    if (caption.isEmpty())
        return;
    // One line: breaks in a name show as blanks.
    for (const QChar lineBreak : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::LineSeparator),
                                  QChar(QChar::ParagraphSeparator)})
        caption.replace(lineBreak, QLatin1Char(' '));
    if (Options().Layout() == TTextLayout::tlCenter)
        caption = QLatin1Char(' ') + caption + QLatin1Char(' ');
    const QString shown =
        canvas.fontMetrics().elidedText(caption, Qt::ElideRight, std::max(textRect.width(), 0));
    canvas.drawText(
        textRect,
        int(CaptionAlignment(Options().Alignment()) | Qt::AlignVCenter | Qt::TextSingleLine),
        shown);
}

QRect FitPicture(const QSize& picture, const QRect& area) {
    qint64 width = picture.width();
    qint64 height = picture.height();
    const qint64 areaWidth = area.width();
    const qint64 areaHeight = area.height();
    if (width > areaWidth || height > areaHeight) {
        if (width <= 0 || height <= 0) {
            width = areaWidth;
            height = areaHeight;
        } else {
            const double ratio = double(width) / double(height);
            if (height < width) {
                width = areaWidth;
                height = qint64(double(areaWidth) / ratio);
                if (height > areaHeight) {
                    height = areaHeight;
                    width = qint64(double(areaHeight) * ratio);
                }
            } else {
                height = areaHeight;
                width = qint64(double(areaHeight) * ratio);
                if (width > areaWidth) {
                    width = areaWidth;
                    height = qint64(double(areaWidth) / ratio);
                }
            }
        }
    }
    return QRect(int(area.left() + (areaWidth - width) / 2),
                 int(area.top() + (areaHeight - height) / 2), int(width), int(height));
}
