#pragma once

#include "app/AppArguments.h"
#include "view/ViewCommand.h"

#include <QStringList>

#include <optional>

// The screenshot mode: opens the raw file in a view that is never shown, runs the command of
// the asked screen and the next-page steps, and writes the view's picture as a PNG.
namespace screenshot {

std::optional<ViewCommand> ScreenCommand(const QString& name);
QStringList ScreenNames();

// Exit code of the program: 0 written, 1 the file or the picture failed, 2 a wrong request.
// Every failure is told on stderr.
int Run(const AppArguments& arguments);

} // namespace screenshot
