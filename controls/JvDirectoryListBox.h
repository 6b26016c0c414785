#pragma once
// The folder list: the path from the root of the file system down to the current folder, then
// the current folder's sub-folders sorted ignoring case; choosing a line goes there at once. The
// process's current directory follows the folder shown, and each volume remembers the folder
// last entered on it.

#include <QHash>
#include <QListView>
#include <QPointer>
#include <functional>

class TJvDriveCombo;
class TDirectoryLines;

class TJvDirectoryListBox : public QListView {
    Q_OBJECT
public:
    // Shows the process's current directory.
    explicit TJvDirectoryListBox(QWidget* parent = nullptr);
    ~TJvDirectoryListBox() override;

    // The current folder: an absolute, cleaned path without a trailing "/" (except "/").
    const QString& Directory() const { return FDirectory; }
    // Goes to the folder and fires OnChange, even when the folder could not be entered. Ignored,
    // firing nothing: an empty path, the current folder, a path that is not absolute. A folder on
    // another volume switches to that volume first (through the bound combo when there is one).
    // A missing folder goes to the current folder of its volume, or stays where it is when that
    // volume could not be switched to; a folder that cannot be entered leaves the list where it
    // was, or, when that folder was removed meanwhile, on the nearest folder above it.
    void SetDirectory(const QString& path);
    // When set (the default), selecting a line goes to its folder.
    bool AutoExpand = true;
    // When false (the default), folders whose names begin with "." are not listed. Setting
    // rebuilds the lines.
    bool ShowAllFolders() const { return FShowAllFolders; }
    void SetShowAllFolders(bool show);
    // The bound drive combo, or null. Binding makes the combo choose the current folder's drive.
    TJvDriveCombo* DriveCombo() const;
    void SetDriveCombo(TJvDriveCombo* combo);
    // Fired after every folder change, also after one that left the folder as it was.
    std::function<void(TJvDirectoryListBox&)> OnChange;

    // Goes to the folder last entered on the volume mounted at `drive` (its root when none was,
    // or when the remembered one cannot be entered any more). Does nothing when the current
    // folder is on that volume; stays on the current folder when the volume cannot be entered.
    void DriveChange(const QString& drive);

    // The lines' full paths, from the root down, then the sub-folders.
    QStringList Lines() const;
    // The line of the current folder.
    int CurrentFolderLine() const { return FCurrentFolderLine; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void GoTo(const QString& folder);
    void EnterNearest(const QString& folder);
    void Rebuild();
    void ChangeStep();
    void Entered(const QString& folder);
    QString DriveOf(const QString& path) const;
    void RequestOpen();
    void OpenLater(const QString& path);
    bool SecondPressOfDoubleClick(const QMouseEvent& event) const;

    QString FDirectory;
    bool FShowAllFolders = false;
    QPointer<TJvDriveCombo> FDriveCombo;
    TDirectoryLines* FLines;
    int FCurrentFolderLine = 0;
    bool FRebuilding = false;
    bool FSettingFolder = false;
    // The last press that was not the second of a double-click: the line's path, where, when.
    struct TPress {
        QString Path;
        QPoint Position;
        ulong Time = 0;
    } FFirstPress;
    // The folder last entered on each volume, by mount point.
    QHash<QString, QString> FDriveFolders;
};
