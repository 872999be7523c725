#pragma once

#include "app/AppArguments.h"

#include <QString>

#include <memory>

class CMainFrame;
class CVorlixDoc;

// The application object: the folders of the run, the settings identity, and the start-up
// that builds the one test document and the main frame around its view.
class CVorlixApp {
public:
    explicit CVorlixApp(const AppArguments& arguments);
    ~CVorlixApp();
    CVorlixApp(const CVorlixApp&) = delete;
    CVorlixApp& operator=(const CVorlixApp&) = delete;

    // Organisation and application names under which QSettings keeps the profile (recent
    // files, window geometry). Call once the QApplication exists.
    static void SetIdentity();
    // The absolute work folder for `given` (empty: the current folder). An empty result,
    // with *error set, when the folder does not exist.
    static QString ResolveWorkDirectory(const QString& given, QString* error);

    // Builds the document and the frame, shows the frame, opens the file of the command
    // line once the event loop runs, and runs the loop. Returns the exit code.
    int Run();

    CMainFrame* MainFrame() const { return frame_.get(); }

    QString workDirectory;  // the settings file's folder and the file dialogs' start
    QString startDirectory; // the current folder at start-up

private:
    AppArguments arguments_;
    std::unique_ptr<CVorlixDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
};
