#pragma once

#include "view/OptionsChanges.h"

#include <QString>

#include <memory>

class CKVTcontrol;

// Reports the progress of a long command; Step returns false once the user cancelled.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual bool Step(long long done, long long total) = 0;
};

// What the view asks of the window around it: dialogs, the title, the status bar. The main
// frame implements it with real dialogs; tests and the offscreen pictures supply their own.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    // The open-file dialog for raw test files; an empty path when cancelled.
    virtual QString ChooseRawFile(const QString& caption) = 0;
    // The save dialog of a road picture ("*.JPG"); an empty path when cancelled.
    virtual QString ChooseSavePath() = 0;
    virtual void SetWindowTitle(const QString& title) = 0;
    virtual void ShowStatus(const QString& message) = 0;
    // A message box, for the errors that have one (an analysis error).
    virtual void ShowMessage(const QString& message) = 0;
    // Runs the options dialog modally on `options` and says what it changed; storing the
    // settings file is left to the caller.
    virtual OptionsChanges EditOptions(CKVTcontrol& options) = 0;
    virtual std::unique_ptr<ProgressSink> StartProgress(const QString& label) = 0;
    // A raw file was opened (for the recent-file list).
    virtual void FileOpened(const QString& path) = 0;
    virtual void RequestExit() = 0;
};
