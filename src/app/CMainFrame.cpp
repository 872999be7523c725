#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/MinimumClientSize.h"
#include "app/PngWriter.h"
#include "app/ProgramIcon.h"
#include "app/ProgressDialogSink.h"
#include "app/ToolbarIcons.h"
#include "app/WindowPreferences.h"
#include "view/CVorlixView.h"
#include "view/OptionsDialog.h"
#include "view/SectionsDialog.h"
#include "view/SectionsPanel.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString kGeometryKey = QStringLiteral("mainWindow/geometry");
const QString kRawFileFilter = QStringLiteral("Raw test files (*.KVT *.kvt)");

QKeySequence ShortcutOf(ViewCommand command) {
    switch (command) {
    case ViewCommand::Open:
        return QKeySequence(Qt::CTRL | Qt::Key_O);
    case ViewCommand::PreviousPage:
        return QKeySequence(Qt::Key_PageUp);
    case ViewCommand::NextPage:
        return QKeySequence(Qt::Key_PageDown);
    case ViewCommand::PreviousSegment:
        return QKeySequence(Qt::CTRL | Qt::Key_PageUp);
    case ViewCommand::NextSegment:
        return QKeySequence(Qt::CTRL | Qt::Key_PageDown);
    case ViewCommand::TextExport:
        return QKeySequence(Qt::CTRL | Qt::Key_E);
    case ViewCommand::Exit:
        return QKeySequence(Qt::CTRL | Qt::Key_Q);
    default:
        return {};
    }
}

} // namespace

CMainFrame::CMainFrame(CVorlixDoc& doc, const QString& workDirectory, QWidget* parent)
    : QMainWindow(parent), workDirectory_(workDirectory) {
    setWindowTitle(QStringLiteral("Vorlix"));
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    // One fixed layout: no context menu for hiding the toolbar.
    setContextMenuPolicy(Qt::NoContextMenu);

    recentFiles_.Load();
    statusBar();
    view_ = new CVorlixView(doc, *this, this);
    // Below this the screens overlap or leave the window; the frame's own minimum follows.
    view_->setMinimumSize(kMinimumClientSize);
    view_->Objects().picture.SetPlayRate(WindowPreferences::PlayRate());
    setCentralWidget(view_);
    CreateSectionsPanel();
    CreateToolBar();
    CreateWindowActions();
    statusBar()->showMessage(QStringLiteral(
        "Ready. Ctrl+O opens a raw file, Ctrl+S saves the picture, Ctrl+C copies it, F1 About."));
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BeginCommand() {
    statusBar()->clearMessage();
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("Standard"), this);
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setIconSize(toolbaricons::kIconSize);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, toolBar_);

    for (const ViewCommandInfo& info : kViewCommands) {
        const QString text = QString::fromLatin1(info.text);
        QAction* action = toolBar_->addAction(toolbaricons::Icon(info.command), text);
        action->setToolTip(text);
        action->setData(info.id);
        action->setShortcut(ShortcutOf(info.command));
        const ViewCommand command = info.command;
        connect(action, &QAction::triggered, this, [this, command] {
            BeginCommand();
            view_->RunCommand(command);
        });
        if (QWidget* button = toolBar_->widgetForAction(action)) {
            button->setAccessibleName(text);
            button->setAccessibleDescription(text);
        }
        if (command == ViewCommand::Open) {
            recentMenu_ = new QMenu(QStringLiteral("Recent files"), this);
            recentMenu_->setToolTipsVisible(true);
            if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(action))) {
                button->setMenu(recentMenu_);
                button->setPopupMode(QToolButton::MenuButtonPopup);
            }
            RebuildRecentMenu();
        }
        if (info.separatorAfter)
            toolBar_->addSeparator();
    }
    toolBar_->addSeparator();
    QAction* panel = sectionsDock_->toggleViewAction();
    const QString text = QStringLiteral("Sections and weak spots");
    panel->setIcon(toolbaricons::SectionsIcon());
    panel->setText(text);
    panel->setToolTip(text);
    panel->setShortcut(QKeySequence(Qt::Key_F7));
    toolBar_->addAction(panel);
    if (QWidget* button = toolBar_->widgetForAction(panel)) {
        button->setAccessibleName(text);
        button->setAccessibleDescription(text);
    }
    const QString mapText = QStringLiteral("Map of the results, sections and flags");
    QAction* map = toolBar_->addAction(toolbaricons::Icon(ViewCommand::Map), mapText);
    map->setToolTip(mapText);
    map->setShortcut(QKeySequence(Qt::Key_F8));
    connect(map, &QAction::triggered, this, [this] {
        BeginCommand();
        view_->RunCommand(ViewCommand::Map);
    });
    if (QWidget* button = toolBar_->widgetForAction(map)) {
        button->setAccessibleName(mapText);
        button->setAccessibleDescription(mapText);
    }
}

void CMainFrame::CreateSectionsPanel() {
    sectionsPanel_ = new SectionsPanel(this);
    sectionsDock_ = new QDockWidget(QStringLiteral("Sections and weak spots"), this);
    sectionsDock_->setObjectName(QStringLiteral("sectionsDock"));
    sectionsDock_->setWidget(sectionsPanel_);
    addDockWidget(Qt::BottomDockWidgetArea, sectionsDock_);
    sectionsDock_->hide();
    connect(view_, &CVorlixView::sectionsChanged, this, [this] { UpdateSectionsPanel(); });
    connect(view_, &CVorlixView::segmentShown, this, [this] {
        const auto [from, to] = view_->SegmentSpan();
        sectionsPanel_->SetShownSpan(from, to);
    });
    connect(sectionsPanel_, &SectionsPanel::placeChosen, this, [this](double distance) {
        BeginCommand();
        if (!view_->ShowRoadAt(distance))
            ShowStatus(
                QStringLiteral("No segment of the file holds %1 ft.").arg(distance, 0, 'f', 2));
    });
    connect(sectionsPanel_, &SectionsPanel::parametersRequested, this,
            [this] { EditSectionParameters(); });
    connect(sectionsPanel_, &SectionsPanel::reportRequested, this, [this] {
        BeginCommand();
        WriteReportWithDialog();
    });
    connect(sectionsPanel_, &SectionsPanel::writeRequested, this, [this] {
        BeginCommand();
        view_->WriteSectionsCsv();
    });
    UpdateSectionsPanel();
}

void CMainFrame::UpdateSectionsPanel() {
    const sections::Result* result = view_->Sections();
    QString note;
    if (result)
        note = QStringLiteral("%1 sections, %2 flags. The rows of the segment shown are "
                              "highlighted; a double-click shows a row's place.")
                   .arg(result->sections.size())
                   .arg(result->flags.size());
    else if (view_->SectionsComputing())
        note = QStringLiteral("Computing the sections...");
    else if (!view_->HasData())
        note = QStringLiteral("No file is open.");
    else
        note = QStringLiteral("No sections: see the status bar.");
    sectionsPanel_->SetResult(result, note);
    const auto [from, to] = view_->SegmentSpan();
    sectionsPanel_->SetShownSpan(from, to);
}

void CMainFrame::EditSectionParameters() {
    BeginCommand();
    SectionsDialog dialog(workDirectory_.toStdString(), this);
    if (dialog.exec() == QDialog::Accepted)
        view_->ComputeSections();
}

void CMainFrame::CreateWindowActions() {
    auto add = [this](const QString& text, const QKeySequence& key, auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, slot] {
            BeginCommand();
            slot();
        });
        addAction(action);
    };
    add(QStringLiteral("About Vorlix"), QKeySequence(Qt::Key_F1), [this] { ShowAbout(); });
    add(QStringLiteral("Save picture"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [this] { SavePictureWithDialog(); });
    add(QStringLiteral("Copy picture"), QKeySequence(Qt::CTRL | Qt::Key_C),
        [this] { CopyPicture(); });
    add(QStringLiteral("Report..."), QKeySequence(Qt::CTRL | Qt::Key_R),
        [this] { WriteReportWithDialog(); });
}

void CMainFrame::RebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList& files = recentFiles_.Files();
    if (files.isEmpty()) {
        recentMenu_->addAction(QStringLiteral("No recent files"))->setEnabled(false);
        return;
    }
    for (const QString& path : files) {
        QAction* action = recentMenu_->addAction(RecentFileList::MenuText(path));
        action->setToolTip(path);
        action->setStatusTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
}

void CMainFrame::ShowWithSavedGeometry() {
    const QByteArray saved = QSettings().value(kGeometryKey).toByteArray();
    const bool restored = !saved.isEmpty() && restoreGeometry(saved);
    if (restored && !isMaximized()) {
        show();
        return;
    }
    // Screen-sized even where no window manager honours the maximised state.
    if (QScreen* current = screen())
        setGeometry(current->availableGeometry());
    showMaximized();
}

void CMainFrame::OpenRecentFile(const QString& path) {
    BeginCommand();
    if (!QFileInfo(path).isFile()) {
        recentFiles_.Remove(path);
        RebuildRecentMenu();
        ShowStatus(QStringLiteral("%1 is no longer there; it left the recent files.").arg(path));
        return;
    }
    view_->OpenFile(path);
}

bool CMainFrame::SavePicture(const QString& path) {
    QString error;
    if (!WritePng(view_->Picture(), path, &error)) {
        ShowStatus(QStringLiteral("Picture not saved: %1 (%2).").arg(path, error));
        return false;
    }
    ShowStatus(QStringLiteral("Picture saved to %1.").arg(path));
    return true;
}

void CMainFrame::SavePictureWithDialog() {
    if (!view_->HasData())
        return;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture"),
                                                QDir(workDirectory_).filePath("vorlix.png"),
                                                QStringLiteral("PNG pictures (*.png)"));
    if (path.isEmpty()) {
        ShowStatus(QStringLiteral("Picture not saved."));
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    SavePicture(path);
}

void CMainFrame::WriteReportWithDialog() {
    if (!view_->HasData()) {
        ShowStatus(QStringLiteral("No file is open: there is nothing to report."));
        return;
    }
    const QFileInfo raw(QString::fromStdString(view_->RawPath()));
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Write the Report"),
        raw.dir().filePath(raw.completeBaseName() + QStringLiteral(".pdf")),
        QStringLiteral("PDF documents (*.pdf)"));
    if (path.isEmpty()) {
        ShowStatus(QStringLiteral("No report written."));
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    view_->WriteReport(path);
}

void CMainFrame::CopyPicture() {
    if (!view_->HasData())
        return;
    QGuiApplication::clipboard()->setImage(view_->Picture());
    ShowStatus(QStringLiteral("Picture copied to the clipboard."));
}

void CMainFrame::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

QString CMainFrame::RawFileOfDrop(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo file(url.toLocalFile());
        if (file.suffix().compare(QLatin1String("kvt"), Qt::CaseInsensitive) == 0)
            return file.absoluteFilePath();
    }
    return {};
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!RawFileOfDrop(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = RawFileOfDrop(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    BeginCommand();
    view_->OpenFile(path);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    view_->CancelSections();
    QSettings().setValue(kGeometryKey, saveGeometry());
    event->accept();
}

QString CMainFrame::ChooseRawFile(const QString& caption) {
    return QFileDialog::getOpenFileName(this, caption, workDirectory_, kRawFileFilter);
}

QString CMainFrame::ChooseSavePath() {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save he screen to File"),
                                        workDirectory_, QStringLiteral("*.JPG"));
}

void CMainFrame::SetWindowTitle(const QString& title) {
    setWindowTitle(title);
}

void CMainFrame::ShowStatus(const QString& message) {
    statusBar()->showMessage(message, statusTimeoutMs_);
}

void CMainFrame::ShowMessage(const QString& message) {
    QMessageBox::warning(this, QStringLiteral("Vorlix"), message);
}

OptionsChanges CMainFrame::EditOptions(CKVTcontrol& options) {
    OptionsDialog dialog(options, this);
    dialog.exec();
    return dialog.changes();
}

std::unique_ptr<ProgressSink> CMainFrame::StartProgress(const QString& label) {
    return std::make_unique<ProgressDialogSink>(label, this);
}

void CMainFrame::FileOpened(const QString& path) {
    recentFiles_.Add(path);
    RebuildRecentMenu();
}

void CMainFrame::RequestExit() {
    close();
}
