#include "FMain.h"

#include "AppShell.h"
#include "Exception.h"
#include "FBaseDialog.h"
#include "FImage.h"
#include "FOptions.h"
#include "FileFormats.h"
#include "Global.h"
#include "JvDirectoryListBox.h"
#include "JvDriveCombo.h"
#include "JvImagesViewer.h"
#include "LxFormEvents.h"
#include "LxFormPosition.h"
#include "LxForms.h"
#include "LxHelp.h"
#include "Picture.h"
#include "ProgramFile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <new>

namespace {
constexpr int ClientWidth = 646;
constexpr int ClientHeight = 524;
constexpr int DockHeight = 26;
constexpr int StatusHeight = 19;
constexpr int PanelWidth = 213;
constexpr int MenuBarWidth = 168;
constexpr int HelpContextMain = 1000;
// How long the folder must stay quiet before the grid follows its changes: a copy of many
// pictures refreshes once, not once per file.
constexpr int RefreshDelayMs = 300;

// A command icon from the desktop's icon theme, or the style's own picture where the theme has
// none.
QIcon ActionIcon(const char* themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(themeName),
                            QApplication::style()->standardIcon(fallback));
}

// The panel on the left: the drive combo, the folder list that takes the height the window
// gives, and the style choice kept at the bottom.
class TMainPanel : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* Folders = nullptr;
    QWidget* Style = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        Guarded([this, event] {
            const int height = event->size().height();
            Folders->setGeometry(8, 34, 197, qMax(0, height - 34 - 34));
            Style->move(8, height - 28);
        });
    }
};
// Runs a command on the picture file. Its failure is reported naming the file (a reader's own
// message may not), and running out of memory says so instead of "std::bad_alloc".
template <typename Command> void OnPictureFile(const QString& fileName, Command&& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        throw Exception(
            QStringLiteral("Not enough memory to read the picture \"%1\".").arg(fileName));
    } catch (const std::exception& error) {
        const QString message = QString::fromUtf8(error.what());
        if (message.contains(fileName))
            throw;
        throw Exception(
            QStringLiteral("Cannot read the picture \"%1\": %2").arg(fileName, message));
    }
}
} // namespace

TImageForm* ImageForm = nullptr;

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), FFolderWatcher(new QFileSystemWatcher(this)),
      FRefreshTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Velloria"));
    setFont(FormFont(QStringLiteral("Arial")));
    SetHelpContext(this, HelpContextMain);
    appPosition = std::make_unique<TLxFormPosition>(*this);
    appPosition->Section = QStringLiteral("Window");
    CreateActions();
    CreateBars();
    CreatePanel();
    setGeometry(203, 111, ClientWidth, ClientHeight);

    TLxFormEvents& events = TLxFormEvents::Of(*this);
    events.OnShow = [this](QWidget&) { FormShow(); };
    events.OnCloseQuery = [this](QWidget&, bool& canClose) { FormCloseQuery(canClose); };
    appPosition->Loaded();
    FRefreshTimer->setSingleShot(true);
    FRefreshTimer->setInterval(RefreshDelayMs);
    connect(FFolderWatcher, &QFileSystemWatcher::directoryChanged, FRefreshTimer,
            qOverload<>(&QTimer::start));
    connect(FRefreshTimer, &QTimer::timeout, this,
            [this] { Guarded([this] { cmdViewRefreshExecute(); }); });
    if (Application)
        connect(Application, &TApplication::Idle, this, [this] {
            Guarded([this] {
                appEventsIdle();
                UpdateActions();
            });
        });
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateActions() {
    auto make = [this](QAction*& action, const QString& caption, const char* theme,
                       QStyle::StandardPixmap fallback, const QKeySequence& shortcut = {}) {
        action = new QAction(ActionIcon(theme, fallback), caption, this);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    };
    make(cmdFileExit, QStringLiteral("E&xit"), "application-exit", QStyle::SP_DialogCloseButton);
    make(cmdHelpContents, QStringLiteral("&Contents"), "help-contents",
         QStyle::SP_DialogHelpButton);
    make(cmdToolsOptions, QStringLiteral("&Options..."), "preferences-system",
         QStyle::SP_FileDialogDetailedView);
    make(cmdWallpaperChange, QStringLiteral("&Change"), "preferences-desktop-wallpaper",
         QStyle::SP_DialogApplyButton, QKeySequence(Qt::CTRL | Qt::Key_W));
    make(cmdWallpaperRestore, QStringLiteral("&Restore"), "edit-undo", QStyle::SP_BrowserReload,
         QKeySequence(Qt::CTRL | Qt::Key_R));
    make(cmdHelpAbout, QStringLiteral("&About..."), "help-about", QStyle::SP_MessageBoxInformation);
    make(cmdToolsCleanup, QStringLiteral("&Cleanup..."), "edit-clear", QStyle::SP_TrashIcon);
    make(cmdWallpaperView, QStringLiteral("&View"), "image-x-generic",
         QStyle::SP_FileDialogContentsView, QKeySequence(Qt::CTRL | Qt::Key_V));
    make(cmdViewRefresh, QStringLiteral("&Refresh"), "view-refresh", QStyle::SP_BrowserReload,
         QKeySequence(Qt::Key_F5));
    cmdHelpContents->setEnabled(false);

    connect(cmdFileExit, &QAction::triggered, this, [this] { Guarded([this] { close(); }); });
    connect(cmdHelpContents, &QAction::triggered, this, [this] { Guarded([] { OpenHelp(0); }); });
    const QList<QPair<QAction*, void (TMainForm::*)()>> commands = {
        {cmdToolsOptions, &TMainForm::cmdToolsOptionsExecute},
        {cmdWallpaperChange, &TMainForm::cmdWallpaperChangeExecute},
        {cmdWallpaperRestore, &TMainForm::cmdWallpaperRestoreExecute},
        {cmdHelpAbout, &TMainForm::cmdHelpAboutExecute},
        {cmdToolsCleanup, &TMainForm::cmdToolsCleanupExecute},
        {cmdWallpaperView, &TMainForm::cmdWallpaperViewExecute},
        {cmdViewRefresh, &TMainForm::cmdViewRefreshExecute}};
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this,
                [this, action, handler] { Guarded([&] { Execute(action, handler); }); });
}

void TMainForm::CreateBars() {
    tbDock = new QWidget(this);
    tbDock->setObjectName(QStringLiteral("tbDock"));
    tbDock->setFixedHeight(DockHeight);
    tbMenu = new QMenuBar(tbDock);
    tbMenu->setObjectName(QStringLiteral("tbMenu"));
    tbMenu->setNativeMenuBar(false);
    // As wide as its four menus need, at least the designed 168 pixels; the tool bar follows.
    tbMenu->setMinimumWidth(MenuBarWidth);
    tbMenu->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto addMenu = [this](const QString& title, const QList<QAction*>& actions) {
        QMenu* menu = tbMenu->addMenu(title);
        menu->addActions(actions);
    };
    addMenu(QStringLiteral("&File"), {cmdFileExit});
    addMenu(QStringLiteral("&View"), {cmdViewRefresh});
    addMenu(QStringLiteral("&Wallpaper"),
            {cmdWallpaperView, cmdWallpaperChange, cmdWallpaperRestore});
    addMenu(QStringLiteral("&Tools"), {cmdToolsOptions, cmdToolsCleanup});
    addMenu(QStringLiteral("&Help"), {cmdHelpContents, cmdHelpAbout});

    tbMain = new QToolBar(QStringLiteral("Toolbar"), tbDock);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setFloatable(false);
    tbMain->setMovable(false);
    tbMain->setIconSize(QSize(16, 16));
    tbMain->addActions({cmdWallpaperView, cmdWallpaperChange, cmdWallpaperRestore});
    tbMain->addSeparator();
    tbMain->addActions({cmdToolsOptions, cmdHelpContents});
    tbMain->addSeparator();
    tbMain->addAction(cmdFileExit);

    auto* dockLayout = new QHBoxLayout(tbDock);
    dockLayout->setContentsMargins(0, 0, 0, 0);
    dockLayout->setSpacing(0);
    dockLayout->addWidget(tbMenu);
    dockLayout->addWidget(tbMain, 1);
    setMenuWidget(tbDock);

    appStatusBar = new QStatusBar(this);
    appStatusBar->setObjectName(QStringLiteral("appStatusBar"));
    appStatusBar->setFixedHeight(StatusHeight);
    setStatusBar(appStatusBar);
}

void TMainForm::CreatePanel() {
    auto* client = new QWidget(this);
    auto* panel = new TMainPanel(client);
    pnlMain = panel;
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    pnlMain->setFixedWidth(PanelWidth);

    cbxDrives = new TJvDriveCombo(pnlMain);
    cbxDrives->setObjectName(QStringLiteral("cbxDrives"));
    cbxDrives->setGeometry(8, 6, 197, 22);
    cbxDrives->SetDriveTypes({dtFixed, dtRemote, dtCDROM});
    cbxDrives->SetOffset(4);

    lbFolders = new TJvDirectoryListBox(pnlMain);
    lbFolders->setObjectName(QStringLiteral("lbFolders"));
    lbFolders->setGeometry(8, 34, 197, 411);
    lbFolders->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbFolders->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lbFolders->SetDriveCombo(cbxDrives);
    lbFolders->OnChange = [this](TJvDirectoryListBox&) { lbFoldersChange(); };

    cbxStyle = new QComboBox(pnlMain);
    cbxStyle->setObjectName(QStringLiteral("cbxStyle"));
    cbxStyle->setGeometry(8, 451, 145, 22);
    // In the order of the style codes: an item's index is its code.
    cbxStyle->addItems({QStringLiteral("Tiled"), QStringLiteral("Centered"),
                        QStringLiteral("Stretched"), QStringLiteral("Zoomed"),
                        QStringLiteral("Scaled")});
    cbxStyle->setCurrentIndex(0);
    panel->Folders = lbFolders;
    panel->Style = cbxStyle;

    ctlThumbnails = new TJvImagesViewer(client);
    ctlThumbnails->setObjectName(QStringLiteral("ctlThumbnails"));
    TJvImageViewerOptions& options = ctlThumbnails->Options();
    options.SetMultiSelect(false);
    options.SetHotTrack(false);
    options.SetAutoCenter(false);
    options.SetReduceMemoryUsage(true);
    options.SetTracking(true);
    ctlThumbnails->setFocusPolicy(Qt::StrongFocus);
    ctlThumbnails->OnDblClick = [this](TJvCustomItemViewer*) { ctlThumbnailsDblClick(); };
    ctlThumbnails->OnCellError = [this](TJvImagesViewer*, TJvPictureItem*, const QString& message) {
        CellFailed(message);
    };

    auto* layout = new QHBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlMain);
    layout->addWidget(ctlThumbnails, 1);
    setCentralWidget(client);
    setTabOrder(cbxDrives, lbFolders);
    setTabOrder(lbFolders, cbxStyle);
    setTabOrder(cbxStyle, ctlThumbnails);
}

void TMainForm::FormShow() {
    ctlThumbnails->SetFileMask(FileFormats().MaskList(&TGraphic::staticMetaObject));
    QString folder = StartFolder.isEmpty() ? VelloriaApp->LastFolder : StartFolder;
    if (folder.isEmpty())
        folder = FirstStartFolder();
    lbFolders->SetDirectory(folder);
    // The list fires nothing when it already shows the folder (it starts on the current one);
    // the grid must list that folder all the same.
    if (ctlThumbnails->Directory() != lbFolders->Directory())
        lbFoldersChange();
    // The wallpaper keys work while the picture is looked at, too.
    if (ImageForm)
        ImageForm->addActions({cmdWallpaperView, cmdWallpaperChange, cmdWallpaperRestore});
    ReadStartupWallpaper();
    ApplyThumbnailOptions();
}

void TMainForm::FormCloseQuery(bool& canClose) {
    VelloriaApp->LastFolder = lbFolders->Directory();
    // A cache that cannot be cleaned is reported; closing goes on all the same.
    if (VelloriaApp->ExitCleanup)
        Guarded([] { VelloriaApp->CleanupCache(); });
    canClose = true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    Guarded([event] {
        event->accept();
        QCoreApplication::quit();
    });
}

void TMainForm::OpenFolder(const QString& folder) {
    if (!folder.isEmpty())
        lbFolders->SetDirectory(folder);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TMainForm::lbFoldersChange() {
    FCellReport.clear();
    ctlThumbnails->SetDirectory(lbFolders->Directory());
    WatchFolder(lbFolders->Directory());
    appStatusBar->showMessage(lbFolders->Directory());
}

void TMainForm::WatchFolder(const QString& folder) {
    if (FFolderWatcher->directories() == QStringList{folder})
        return;
    if (!FFolderWatcher->directories().isEmpty())
        FFolderWatcher->removePaths(FFolderWatcher->directories());
    FRefreshTimer->stop();
    // A folder that cannot be watched (no watches left) still shows; F5 refreshes it.
    FFolderWatcher->addPath(folder);
}

QString TMainForm::FirstStartFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::currentPath();
}

void TMainForm::CellFailed(const QString& message) {
    FCellReport = message;
    FCellReportSelection = ctlThumbnails->SelectedIndex();
    appStatusBar->showMessage(message);
}

// The selected file's name, or why its picture could not be read.
QString TMainForm::SelectionText(int selected) {
    if (selected < 0)
        return {};
    const TJvPictureItem* item = ctlThumbnails->Items(selected);
    return item->CellState() == TJvPictureItem::TCellState::csFailed ? item->CellError()
                                                                     : item->FileName();
}

void TMainForm::appEventsIdle() {
    const int selected = ctlThumbnails->SelectedIndex();
    if (selected != FCellReportSelection)
        FCellReport.clear();
    const QString text = FCellReport.isEmpty() ? SelectionText(selected) : FCellReport;
    // Writing the same text again would repaint the bar and wake the loop for nothing.
    if (appStatusBar->currentMessage() != text)
        appStatusBar->showMessage(text);
}

void TMainForm::ctlThumbnailsDblClick() {
    ViewSelected();
}

void TMainForm::ViewSelected() {
    const int selected = ctlThumbnails->SelectedIndex();
    if (selected < 0)
        return;
    TJvPictureItem* item = ctlThumbnails->Items(selected);
    TPicture* picture = nullptr;
    OnPictureFile(item->FileName(), [&] { picture = item->Picture(); });
    if (!picture)
        return;
    ImageForm->SetPicture(*picture, item->FileName());
    ImageForm->setWindowTitle(ExtractFileName(item->FileName()));
    ImageForm->show();
    ImageForm->raise();
    ImageForm->activateWindow();
}

void TMainForm::ReadStartupWallpaper() {
    VelloriaApp->ReadWallpaper(*VelloriaApp->StartupWallpaper);
}

void TMainForm::ApplyThumbnailOptions() {
    TJvImageViewerOptions& options = ctlThumbnails->Options();
    options.SetWidth(VelloriaApp->ThumbSize + 2 * VelloriaApp->ThumbPadding);
    options.SetHeight(options.Width());
    options.SetImagePadding(VelloriaApp->ThumbPadding);
}

void TMainForm::cmdWallpaperViewExecute() {
    ViewSelected();
}

void TMainForm::cmdWallpaperChangeExecute() {
    TLxWallpaper& chosen = *VelloriaApp->ChosenWallpaper;
    chosen.FileName = ctlThumbnails->Items(ctlThumbnails->SelectedIndex())->FileName();
    chosen.Style = ValidStyle(cbxStyle->currentIndex());
    OnPictureFile(chosen.FileName, [&] { VelloriaApp->ApplyWallpaper(chosen); });
    // Shown is changed: Restore stays the way back even when the choice is not kept for later.
    FWallpaperChanged = true;
    VelloriaApp->ReportDesktopNotice();
}

void TMainForm::cmdWallpaperRestoreExecute() {
    VelloriaApp->ApplyWallpaper(*VelloriaApp->StartupWallpaper);
    FWallpaperChanged = false;
    VelloriaApp->ReportDesktopNotice();
}

void TMainForm::cmdToolsOptionsExecute() {
    TOptionsForm dialog;
    if (dialog.Execute())
        ApplyThumbnailOptions();
}

void TMainForm::cmdToolsCleanupExecute() {
    if (Confirm(QStringLiteral("Clean wallpaper cache?"), 0))
        VelloriaApp->CleanupCache();
}

void TMainForm::cmdHelpAboutExecute() {
    VelloriaApp->ShowAbout();
}

void TMainForm::cmdViewRefreshExecute() {
    FRefreshTimer->stop();
    ctlThumbnails->Refresh();
}

void TMainForm::cmdWallpaperViewUpdate() {
    cmdWallpaperView->setEnabled(ctlThumbnails->SelectedIndex() >= 0);
}

void TMainForm::cmdWallpaperChangeUpdate() {
    cmdWallpaperChange->setEnabled(ctlThumbnails->SelectedIndex() >= 0);
}

void TMainForm::cmdWallpaperRestoreUpdate() {
    cmdWallpaperRestore->setEnabled(FWallpaperChanged);
}

void TMainForm::UpdateActions() {
    cmdWallpaperViewUpdate();
    cmdWallpaperChangeUpdate();
    cmdWallpaperRestoreUpdate();
    cmdHelpContents->setEnabled(Application && !Application->HelpFile.isEmpty());
}

void TMainForm::Execute(QAction* action, void (TMainForm::*handler)()) {
    UpdateActions();
    if (action->isEnabled())
        (this->*handler)();
}
