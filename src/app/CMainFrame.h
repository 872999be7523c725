#pragma once

#include "app/RecentFileList.h"
#include "view/ViewCommand.h"
#include "view/ViewHost.h"

#include <QMainWindow>

class CVorlixDoc;
class CVorlixView;
class QDockWidget;
class QMenu;
class SectionsPanel;
class QMimeData;
class QToolBar;
class QToolButton;

// The main window: the toolbar of the 21 commands and the sections panel's button, the view as
// the central widget, the sections panel as a dock (F7) and a status bar. It is the view's host: it
// runs the dialogs the view asks for and shows its title and status lines. Window geometry, the
// recent files and the window's preferences (WindowPreferences) live in the profile.
class CMainFrame : public QMainWindow, public ViewHost {
    Q_OBJECT

public:
    CMainFrame(CVorlixDoc& doc, const QString& workDirectory, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVorlixView* View() const { return view_; }
    QToolBar* ToolBar() const { return toolBar_; }
    const QStringList& RecentFiles() const { return recentFiles_.Files(); }
    QMenu* RecentFilesMenu() const { return recentMenu_; }
    QDockWidget* SectionsDock() const { return sectionsDock_; }
    SectionsPanel* Sections() const { return sectionsPanel_; }

    // Shows the window where it was left last time; maximised the first time and whenever it
    // was left maximised.
    void ShowWithSavedGeometry();
    // Opens a file of the recent list; a file that has gone leaves the list.
    void OpenRecentFile(const QString& path);
    // Writes the view's picture as a PNG and tells the outcome on the status bar.
    bool SavePicture(const QString& path);

    // The raw file (".KVT" in any case) of a drop, or an empty text.
    static QString RawFileOfDrop(const QMimeData* data);

    // How long a status-bar message stays when no command clears it before; tests shorten it.
    static constexpr int kStatusTimeoutMs = 10000;
    void SetStatusTimeout(int milliseconds) { statusTimeoutMs_ = milliseconds; }

    // ViewHost
    QString ChooseRawFile(const QString& caption) override;
    QString ChooseSavePath() override;
    void SetWindowTitle(const QString& title) override;
    void ShowStatus(const QString& message) override;
    void ShowMessage(const QString& message) override;
    OptionsChanges EditOptions(CKVTcontrol& options) override;
    std::unique_ptr<ProgressSink> StartProgress(const QString& label) override;
    void FileOpened(const QString& path) override;
    void RequestExit() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Every command starts here: the status bar's last message is stale from now on.
    void BeginCommand();
    void CreateToolBar();
    void CreateWindowActions();
    void CreateSectionsPanel();
    void UpdateSectionsPanel();
    void EditSectionParameters();
    void RebuildRecentMenu();
    void SavePictureWithDialog();
    void CopyPicture();
    // Asks where (NAME.pdf beside the raw file first) and writes the report there.
    void WriteReportWithDialog();
    void ShowAbout();

    QString workDirectory_;
    CVorlixView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QDockWidget* sectionsDock_ = nullptr;
    SectionsPanel* sectionsPanel_ = nullptr;
    RecentFileList recentFiles_;
    int statusTimeoutMs_ = kStatusTimeoutMs;
};
