#include "app/ConsoleViewHost.h"

#include <cstdio>

namespace {

void PrintLine(const QString& text) {
    std::fprintf(stderr, "vorlix: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

class SilentProgress : public ProgressSink {
public:
    bool Step(long long, long long) override { return true; }
};

} // namespace

QString ConsoleViewHost::ChooseRawFile(const QString&) {
    return {};
}

QString ConsoleViewHost::ChooseSavePath() {
    return {};
}

void ConsoleViewHost::SetWindowTitle(const QString& title) {
    title_ = title;
}

void ConsoleViewHost::ShowStatus(const QString& message) {
    if (!message.isEmpty())
        PrintLine(message);
}

void ConsoleViewHost::ShowMessage(const QString& message) {
    ++messageCount_;
    PrintLine(message);
}

OptionsChanges ConsoleViewHost::EditOptions(CKVTcontrol&) {
    return {};
}

std::unique_ptr<ProgressSink> ConsoleViewHost::StartProgress(const QString&) {
    return std::make_unique<SilentProgress>();
}

void ConsoleViewHost::FileOpened(const QString&) {}

void ConsoleViewHost::RequestExit() {}
