#include "JvDirectoryListBox.h"

#include "AppShell.h"
#include "JvDriveCombo.h"
#include "LocaleText.h"
#include "Volumes.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace {
constexpr int SmallIconSize = 16;
constexpr int PathRole = Qt::UserRole;
constexpr int OpenRole = Qt::UserRole + 1;

QString CleanPath(const QString& path) {
    return QDir::cleanPath(path);
}

// The process's current directory; the root when it has none (it was removed).
QString CurrentOrRoot() {
    const QString current = QDir::currentPath();
    return current.isEmpty() ? QStringLiteral("/") : CleanPath(current);
}
} // namespace

// The lines of the list: full path, the text drawn, and whether the folder icon is the open one
// (the path from the root down) or the closed one (the sub-folders).
class TDirectoryLines : public QAbstractListModel {
public:
    struct TLine {
        QString Path;
        QString Name;
        bool Open = false;
    };

    using QAbstractListModel::QAbstractListModel;

    void Replace(QList<TLine> lines) {
        beginResetModel();
        FLines = std::move(lines);
        endResetModel();
    }
    const QList<TLine>& Lines() const { return FLines; }

    int rowCount(const QModelIndex& parent) const override {
        int rows = 0;
        Guarded([&] { rows = parent.isValid() ? 0 : int(FLines.size()); });
        return rows;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        QVariant value;
        Guarded([&] { value = Data(index, role); });
        return value;
    }

private:
    QVariant Data(const QModelIndex& index, int role) const {
        if (!index.isValid() || index.row() >= FLines.size())
            return {};
        const TLine& line = FLines[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            return line.Name;
        case PathRole:
        case Qt::ToolTipRole:
            return line.Path;
        case OpenRole:
            return line.Open;
        default:
            return {};
        }
    }

    QList<TLine> FLines;
};

namespace {
// Where a line's icon starts: the root at the left edge, each further level 4 pixels deeper.
int IconX(const QModelIndex& index) {
    return index.row() == 0 ? 2 : 6 + 4 * int(index.data(PathRole).toString().count('/'));
}

// Draws a line: the icon indented by the folder's depth, the name beside it, the focus frame
// around the name.
class TFolderLineDelegate : public QStyledItemDelegate {
public:
    explicit TFolderLineDelegate(QWidget* view) : QStyledItemDelegate(view) {
        // Icon themes name the open folder apart; the folder icon itself has no open state.
        const QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"),
                                            view->style()->standardIcon(QStyle::SP_DirOpenIcon));
        FOpen = open.pixmap(SmallIconSize);
        FClosed = QFileIconProvider().icon(QFileIconProvider::Folder).pixmap(SmallIconSize);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        Guarded([&] { PaintLine(*painter, option, index); });
    }

    // As high as the larger of the text and the icon plus one; as wide as the icon and the
    // whole name, so that a long name widens the list's contents and brings its scroll bar.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size;
        Guarded([&] {
            const QString name = index.data(Qt::DisplayRole).toString();
            size = {IconX(index) + SmallIconSize + 4 + option.fontMetrics.horizontalAdvance(name) +
                        2,
                    std::max(option.fontMetrics.height(), SmallIconSize + 1)};
        });
        return size;
    }

private:
    void PaintLine(QPainter& painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QRect& line = option.rect;
        painter.fillRect(line,
                         option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        const int iconX = IconX(index);
        const int iconY = (line.height() - SmallIconSize) / 2;
        painter.drawPixmap(line.left() + iconX, line.top() + iconY,
                           index.data(OpenRole).toBool() ? FOpen : FClosed);
        const QString name = index.data(Qt::DisplayRole).toString();
        const int textWidth = option.fontMetrics.horizontalAdvance(name);
        const int textX = line.left() + iconX + SmallIconSize + 4;
        painter.setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QRect(textX, line.top() + 2, textWidth, line.height() - 2),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        if (!option.state.testFlag(QStyle::State_HasFocus))
            return;
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = QRect(textX - 2, line.top(), textWidth + 4, line.height());
        const QWidget* view = option.widget;
        view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, view);
    }

    QPixmap FOpen, FClosed;
};
} // namespace

TJvDirectoryListBox::TJvDirectoryListBox(QWidget* parent)
    : QListView(parent), FLines(new TDirectoryLines(this)) {
    setModel(FLines);
    setItemDelegate(new TFolderLineDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    Entered(CurrentOrRoot());
    Rebuild();
}

TJvDirectoryListBox::~TJvDirectoryListBox() = default;

void TJvDirectoryListBox::SetDirectory(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || CleanPath(path) == FDirectory)
        return;
    const QString target = CleanPath(path);
    const QString drive = DriveOf(target);
    if (drive != DriveOf(FDirectory)) {
        // Switching drives only moves to that drive's folder; the lines are built once, below.
        const QScopedValueRollback settingFolder(FSettingFolder, true);
        if (FDriveCombo)
            FDriveCombo->SetDrive(drive);
        else
            DriveChange(drive);
    }
    GoTo(QFileInfo(target).isDir() ? target : FDirectory);
}

void TJvDirectoryListBox::SetShowAllFolders(bool show) {
    FShowAllFolders = show;
    Rebuild();
}

TJvDriveCombo* TJvDirectoryListBox::DriveCombo() const {
    return FDriveCombo;
}

void TJvDirectoryListBox::SetDriveCombo(TJvDriveCombo* combo) {
    if (FDriveCombo)
        FDriveCombo->FDirList = nullptr;
    FDriveCombo = combo;
    if (!combo)
        return;
    combo->FDirList = this;
    combo->SetDrive(DriveOf(FDirectory));
}

void TJvDirectoryListBox::DriveChange(const QString& drive) {
    if (drive == DriveOf(FDirectory))
        return;
    for (const QString& folder : {FDriveFolders.value(drive, drive), drive}) {
        if (QDir::setCurrent(folder)) {
            Entered(folder);
            break;
        }
    }
    if (FSettingFolder)
        return;
    Rebuild();
    ChangeStep();
}

QStringList TJvDirectoryListBox::Lines() const {
    QStringList paths;
    for (const TDirectoryLines::TLine& line : FLines->Lines())
        paths << line.Path;
    return paths;
}

void TJvDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    Guarded([this, event] {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            RequestOpen();
        else
            QListView::keyPressEvent(event);
    });
}

void TJvDirectoryListBox::mousePressEvent(QMouseEvent* event) {
    Guarded([this, event] {
        const QModelIndex line = indexAt(event->position().toPoint());
        // Below the last line there is nothing to choose; the current line stays highlighted.
        if (!line.isValid())
            return event->accept();
        // The second press of a double-click lands on whatever line the first one's rebuild
        // put under the pointer; the double-click opens the first press's line instead.
        if (SecondPressOfDoubleClick(*event))
            return event->accept();
        FFirstPress = {line.data(PathRole).toString(), event->position().toPoint(),
                       event->timestamp()};
        QListView::mousePressEvent(event);
    });
}

void TJvDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    Guarded([this, event] {
        event->accept();
        const QModelIndex line = indexAt(event->position().toPoint());
        const QString path = SecondPressOfDoubleClick(*event) ? FFirstPress.Path
                             : line.isValid()                 ? line.data(PathRole).toString()
                                                              : QString();
        FFirstPress = {};
        if (!path.isEmpty())
            OpenLater(path);
    });
}

bool TJvDirectoryListBox::SecondPressOfDoubleClick(const QMouseEvent& event) const {
    const QPoint moved = event.position().toPoint() - FFirstPress.Position;
    return !FFirstPress.Path.isEmpty() &&
           event.timestamp() - FFirstPress.Time <= ulong(QApplication::doubleClickInterval()) &&
           moved.manhattanLength() < QApplication::startDragDistance();
}

void TJvDirectoryListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    Guarded([&] {
        QListView::currentChanged(current, previous);
        if (AutoExpand && !FRebuilding && current.isValid())
            RequestOpen();
    });
}

void TJvDirectoryListBox::GoTo(const QString& folder) {
    if (QDir::setCurrent(folder))
        Entered(folder);
    else
        EnterNearest(FDirectory);
    Rebuild();
    ChangeStep();
}

void TJvDirectoryListBox::EnterNearest(const QString& folder) {
    // The folder shown stays when it can still be entered; when it was removed meanwhile, the
    // nearest folder above it that can be entered takes its place.
    for (QString path = folder;; path = CleanPath(path + QStringLiteral("/.."))) {
        if (QDir::setCurrent(path)) {
            Entered(path);
            return;
        }
        if (path == QLatin1String("/"))
            return;
    }
}

void TJvDirectoryListBox::Rebuild() {
    QList<TDirectoryLines::TLine> lines{{QStringLiteral("/"), QStringLiteral("/"), true}};
    QString prefix;
    for (const QString& name : FDirectory.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        prefix += QLatin1Char('/') + name;
        lines.append({prefix, name, true});
    }
    FCurrentFolderLine = int(lines.size()) - 1;
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (FShowAllFolders)
        filters |= QDir::Hidden;
    QStringList names = QDir(FDirectory).entryList(filters, QDir::NoSort);
    SortIgnoringCase(names);
    const QString parent = prefix + QLatin1Char('/');
    lines.reserve(lines.size() + names.size());
    for (const QString& name : names)
        lines.append({parent + name, name, false});
    const QScopedValueRollback rebuilding(FRebuilding, true);
    FLines->Replace(std::move(lines));
    setCurrentIndex(FLines->index(FCurrentFolderLine));
    scrollTo(currentIndex());
}

void TJvDirectoryListBox::ChangeStep() {
    if (FDriveCombo)
        FDriveCombo->SetDrive(DriveOf(FDirectory));
    if (OnChange)
        OnChange(*this);
}

void TJvDirectoryListBox::Entered(const QString& folder) {
    FDirectory = folder;
    FDriveFolders.insert(DriveOf(folder), folder);
}

QString TJvDirectoryListBox::DriveOf(const QString& path) const {
    return DriveOfPath(MountedVolumes(), path);
}

void TJvDirectoryListBox::RequestOpen() {
    const QModelIndex line = currentIndex();
    if (line.isValid())
        OpenLater(line.data(PathRole).toString());
}

void TJvDirectoryListBox::OpenLater(const QString& path) {
    // Opened from the event loop, not from inside the view's own selection handling, which
    // would go on with lines that the rebuild has replaced.
    QMetaObject::invokeMethod(
        this, [this, path] { Guarded([this, &path] { SetDirectory(path); }); },
        Qt::QueuedConnection);
}
