#include "app/ScreenshotRunner.h"

#include "app/CVorlixApp.h"
#include "app/ConsoleViewHost.h"
#include "app/PngWriter.h"
#include "app/ScreenshotScreens.h"
#include "document/CVorlixDoc.h"
#include "view/CVorlixView.h"
#include "view/SectionsPanel.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace screenshot {

namespace {

int Fail(int code, const QString& message) {
    std::fprintf(stderr, "vorlix: %s\n", message.toLocal8Bit().constData());
    return code;
}

const ScreenshotScreen* ScreenNamed(const QString& name) {
    for (const ScreenshotScreen& screen : kScreenshotScreens)
        if (name == QLatin1String(screen.name))
            return &screen;
    return nullptr;
}

// The sections panel filled from the view, at the picture's size.
QImage SectionsPanelPicture(const CVorlixView& view, const QSize& size) {
    SectionsPanel panel;
    const sections::Result* result = view.Sections();
    panel.SetResult(result, result ? QStringLiteral("%1 sections, %2 flags.")
                                         .arg(result->sections.size())
                                         .arg(result->flags.size())
                                   : QStringLiteral("No sections."));
    const auto [from, to] = view.SegmentSpan();
    panel.SetShownSpan(from, to);
    panel.resize(size);
    return panel.grab().toImage();
}

} // namespace

std::optional<ViewCommand> ScreenCommand(const QString& name) {
    if (const ScreenshotScreen* screen = ScreenNamed(name))
        return screen->command;
    return std::nullopt;
}

QStringList ScreenNames() {
    QStringList names;
    for (const ScreenshotScreen& screen : kScreenshotScreens)
        names << QLatin1String(screen.name);
    return names;
}

int Run(const AppArguments& arguments) {
    const std::optional<ViewCommand> command = ScreenCommand(arguments.screen);
    if (!command)
        return Fail(2, QStringLiteral("unknown screen \"%1\"; the screens are: %2")
                           .arg(arguments.screen, ScreenNames().join(QLatin1String(", "))));
    QString error;
    const QString workDirectory = CVorlixApp::ResolveWorkDirectory(arguments.workDirectory, &error);
    if (workDirectory.isEmpty())
        return Fail(2, error);
    const QFileInfo file(arguments.file);
    if (!file.isFile())
        return Fail(1, QStringLiteral("cannot open %1: no such file").arg(arguments.file));

    // The document holds the large fixed arrays: keep it off the stack.
    auto doc = std::make_unique<CVorlixDoc>(workDirectory.toStdString());
    ConsoleViewHost host;
    CVorlixView view(*doc, host);
    // The picture is written right after the open: the sections are there before it.
    view.SetSectionsSynchronous(true);
    view.resize(arguments.size);
    view.SetClientSize(arguments.size);

    if (!view.OpenFile(file.absoluteFilePath()) || host.MessageCount() > 0)
        return Fail(1, QStringLiteral("cannot use %1").arg(arguments.file));
    view.RunCommand(*command);
    for (int page = 0; page < arguments.page; ++page)
        view.RunCommand(ViewCommand::NextPage);
    for (float distance : arguments.clickDistances)
        view.ClickAtDistance(distance);
    if (host.MessageCount() > 0)
        return Fail(1, QStringLiteral("the screen \"%1\" of %2 could not be drawn")
                           .arg(arguments.screen, arguments.file));

    const bool panel = ScreenNamed(arguments.screen)->sectionsPanel;
    const QImage picture = panel ? SectionsPanelPicture(view, arguments.size) : view.Picture();
    if (!WritePng(picture, arguments.screenshotPath, &error))
        return Fail(1, QStringLiteral("cannot write %1: %2").arg(arguments.screenshotPath, error));
    return 0;
}

} // namespace screenshot
