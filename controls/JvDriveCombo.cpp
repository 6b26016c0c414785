#include "JvDriveCombo.h"

#include "AppShell.h"
#include "JvDirectoryListBox.h"

#include <QDir>
#include <QFileIconProvider>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {
constexpr int SmallIconSize = 16;

// Draws the drop-down list's entries as the combo draws its own.
class TDriveEntryDelegate : public QStyledItemDelegate {
public:
    explicit TDriveEntryDelegate(TJvDriveCombo* combo)
        : QStyledItemDelegate(combo), FCombo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        Guarded([&] {
            painter->fillRect(option.rect, option.palette.base());
            FCombo->DrawEntry(*painter, option.rect, index.row(),
                              option.state.testFlag(QStyle::State_Selected));
        });
    }

    // As high as the larger of the text and the icon.
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        QSize size;
        Guarded([&] {
            const QFontMetrics metrics = FCombo->fontMetrics();
            const int iconWidth = FCombo->iconSize().width();
            size = QSize(2 * FCombo->Offset() + iconWidth +
                             metrics.horizontalAdvance(FCombo->itemText(index.row())) + 6,
                         std::max(metrics.height(), FCombo->iconSize().height()));
        });
        return size;
    }

private:
    TJvDriveCombo* FCombo;
};
} // namespace

TJvDriveCombo::TJvDriveCombo(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(SmallIconSize, SmallIconSize));
    setItemDelegate(new TDriveEntryDelegate(this));
    connect(this, &QComboBox::activated, this, [this](int index) { OnActivated(index); });
    connect(new TVolumeWatcher(this), &TVolumeWatcher::VolumesChanged, this,
            [this] { Guarded([this] { BuildList(); }); });
    BuildList();
    const QStringList drives = Drives();
    const QString current = DriveOfPath(MountedVolumes(), QDir::currentPath());
    if (!drives.isEmpty())
        SetDrive(drives.contains(current) ? current : drives.first());
}

TJvDriveCombo::~TJvDriveCombo() = default;

void TJvDriveCombo::SetDriveTypes(const TDriveTypes& types) {
    FDriveTypes = types.empty() ? TDriveTypes{dtFixed} : types;
    BuildList();
}

void TJvDriveCombo::SetDrive(const QString& drive) {
    if (drive == FDrive) {
        setCurrentIndex(findData(drive));
        return;
    }
    const int index = findData(drive);
    if (index < 0)
        return;
    FDrive = drive;
    setCurrentIndex(index);
    if (FDirList)
        FDirList->DriveChange(drive);
    Change();
}

void TJvDriveCombo::SetOffset(int offset) {
    FOffset = offset;
    BuildList();
}

QStringList TJvDriveCombo::Drives() const {
    QStringList drives;
    for (int i = 0; i < count(); ++i)
        drives << itemData(i).toString();
    return drives;
}

void TJvDriveCombo::BuildList() {
    const QFileIconProvider icons;
    const QIcon local = icons.icon(QFileIconProvider::Drive);
    const QIcon remote = icons.icon(QFileIconProvider::Network);
    clear();
    for (const TVolume& volume : MountedVolumes()) {
        if (FDriveTypes.count(volume.Type) != 0)
            addItem(volume.Type == dtRemote ? remote : local, volume.DisplayName.trimmed(),
                    volume.MountPoint);
    }
    setCurrentIndex(findData(FDrive));
    update();
}

void TJvDriveCombo::DrawEntry(QPainter& painter, const QRect& rect, int index,
                              bool selected) const {
    const QSize icon = iconSize();
    painter.drawPixmap(rect.left() + FOffset, rect.top(), itemIcon(index).pixmap(icon));
    const QString text = itemText(index);
    const QRect area(rect.left() + FOffset + icon.width() + FOffset, rect.top(),
                     fontMetrics().horizontalAdvance(text) + 6, rect.height());
    painter.fillRect(area, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(area.adjusted(3, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    if (!selected)
        return;
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = area;
    focus.backgroundColor = palette().color(QPalette::Highlight);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void TJvDriveCombo::paintEvent(QPaintEvent*) {
    Guarded([this] {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        if (currentIndex() < 0)
            return;
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        DrawEntry(painter, field, currentIndex(), hasFocus());
    });
}

void TJvDriveCombo::OnActivated(int index) {
    Guarded([this, index] { SetDrive(itemData(index).toString()); });
}

void TJvDriveCombo::Change() {
    FDisplayName = currentIndex() >= 0 ? itemText(currentIndex()) : QString();
    if (OnChange)
        OnChange(*this);
}
