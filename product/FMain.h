#pragma once
// The main window: the folder navigator and the style choice on the left, the thumbnails of the
// current folder on the right, the menu bar and tool bar on top, a one-line status bar below.
// Every command is one action of actMain; the menus and the tool bar only show those actions.
// The window holds no wallpaper state of its own but FWallpaperChanged; the records, settings
// and operations belong to VelloriaApp. Closing it ends the event loop.

#include <QMainWindow>

#include <memory>

class QAction;
class QCloseEvent;
class QFileSystemWatcher;
class QTimer;
class QComboBox;
class QMenuBar;
class QStatusBar;
class QToolBar;
class TJvDirectoryListBox;
class TJvDriveCombo;
class TJvImagesViewer;
class TImageForm;
class TLxFormPosition;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and its controls, hidden; touches no application object.
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    QWidget* tbDock;
    QMenuBar* tbMenu;
    QToolBar* tbMain;
    QWidget* pnlMain;
    TJvDriveCombo* cbxDrives;
    TJvDirectoryListBox* lbFolders;
    QComboBox* cbxStyle;
    TJvImagesViewer* ctlThumbnails;
    QStatusBar* appStatusBar;

    QAction* cmdFileExit;
    QAction* cmdHelpContents;
    QAction* cmdToolsOptions;
    QAction* cmdWallpaperChange;
    QAction* cmdWallpaperRestore;
    QAction* cmdHelpAbout;
    QAction* cmdToolsCleanup;
    QAction* cmdWallpaperView;
    QAction* cmdViewRefresh;

    // The folder FormShow opens instead of the LastFolder setting (the command line's); empty
    // for the setting.
    QString StartFolder;

    bool WallpaperChanged() const { return FWallpaperChanged; }
    // Another start of the program handed over: shows the folder (none: keeps the current one)
    // and brings the window forward, restored when it was minimised.
    void OpenFolder(const QString& folder);

    // The handlers, public so that the window can be driven as a person would drive it.
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void lbFoldersChange();
    void appEventsIdle();
    void ctlThumbnailsDblClick();
    void cmdWallpaperViewExecute();
    void cmdWallpaperChangeExecute();
    void cmdWallpaperRestoreExecute();
    void cmdToolsOptionsExecute();
    void cmdToolsCleanupExecute();
    void cmdHelpAboutExecute();
    void cmdViewRefreshExecute();
    void cmdWallpaperViewUpdate();
    void cmdWallpaperChangeUpdate();
    void cmdWallpaperRestoreUpdate();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateBars();
    void CreatePanel();
    void ViewSelected();
    void ReadStartupWallpaper();
    void ApplyThumbnailOptions();
    // Runs the update handlers, then the action's handler when the action is still enabled.
    void Execute(QAction* action, void (TMainForm::*handler)());
    void UpdateActions();
    void CellFailed(const QString& message);
    QString SelectionText(int selected);

    // Watches the shown folder; a burst of changes is coalesced into one refresh.
    void WatchFolder(const QString& folder);
    // The folder shown when there is no last folder and none was given: the user's pictures.
    static QString FirstStartFolder();

    bool FWallpaperChanged = false;
    QFileSystemWatcher* FFolderWatcher;
    QTimer* FRefreshTimer;
    // The last cell failure reported on the status bar, kept there until the selection moves.
    QString FCellReport;
    int FCellReportSelection = -1;
    std::unique_ptr<TLxFormPosition> appPosition;
};

// The image viewer window the main window fills and shows; set by the main program.
extern TImageForm* ImageForm;
