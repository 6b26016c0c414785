#pragma once
// The drive combo: a drop-down list of the mounted volumes of the chosen kinds, each entry its
// small icon and display name. Choosing an entry moves the bound folder list to that volume. The
// list follows volumes being mounted and unmounted while the program runs.

#include "Volumes.h"

#include <QComboBox>
#include <QPointer>
#include <functional>
#include <set>

class TJvDirectoryListBox;
class QStyleOptionViewItem;

using TDriveTypes = std::set<TDriveType>;

class TJvDriveCombo : public QComboBox {
    Q_OBJECT
public:
    // Lists the mounted fixed volumes and chooses the drive of the process's current directory
    // when it is listed, else the first entry.
    explicit TJvDriveCombo(QWidget* parent = nullptr);
    ~TJvDriveCombo() override;

    // The kinds of volume listed. Setting an empty set sets {dtFixed}; setting rebuilds the list.
    const TDriveTypes& DriveTypes() const { return FDriveTypes; }
    void SetDriveTypes(const TDriveTypes& types);
    // The mount point of the chosen volume; empty before the first choice.
    const QString& Drive() const { return FDrive; }
    // Chooses the volume mounted there: the bound list moves to that drive, then DisplayName is
    // updated and OnChange fires. A drive that is not listed is ignored; the drive already chosen
    // is only shown selected again.
    void SetDrive(const QString& drive);
    // The icon's left margin in pixels (4 by default). Setting redraws.
    int Offset() const { return FOffset; }
    void SetOffset(int offset);
    // The text of the selected entry at the last change; empty when none was selected.
    const QString& DisplayName() const { return FDisplayName; }
    // The listed mount points, in the order of the entries.
    QStringList Drives() const;

    // Rebuilds the entries from the volumes mounted now and selects the chosen drive again; when
    // it is gone, no entry is selected.
    void BuildList();
    // Draws entry `index` into rect as the drop-down list and the closed combo show it.
    void DrawEntry(QPainter& painter, const QRect& rect, int index, bool selected) const;
    // Fired after every change of the chosen drive.
    std::function<void(TJvDriveCombo&)> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TJvDirectoryListBox;
    void OnActivated(int index);
    void Change();

    TDriveTypes FDriveTypes{dtFixed};
    QString FDrive;
    int FOffset = 4;
    QString FDisplayName;
    QPointer<TJvDirectoryListBox> FDirList;
};
