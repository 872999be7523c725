#pragma once

#include "view/ViewHost.h"

#include <QString>

// The host of a view drawn without a window (the screenshot mode): every status line and
// message goes to stderr, no dialog is ever opened, and messages are counted because in this
// mode each of them is an error.
class ConsoleViewHost : public ViewHost {
public:
    QString ChooseRawFile(const QString& caption) override;
    QString ChooseSavePath() override;
    void SetWindowTitle(const QString& title) override;
    void ShowStatus(const QString& message) override;
    void ShowMessage(const QString& message) override;
    OptionsChanges EditOptions(CKVTcontrol& options) override;
    std::unique_ptr<ProgressSink> StartProgress(const QString& label) override;
    void FileOpened(const QString& path) override;
    void RequestExit() override;

    int MessageCount() const { return messageCount_; }
    const QString& Title() const { return title_; }

private:
    int messageCount_ = 0;
    QString title_;
};
