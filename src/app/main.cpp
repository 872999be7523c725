#include "app/AppArguments.h"
#include "app/CVorlixApp.h"
#include "app/MessageFilter.h"
#include "app/ReportRunner.h"
#include "app/ScreenshotRunner.h"

#include <QApplication>
#include <QFont>

#include <clocale>
#include <csignal>
#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char** argv) {
    // A limit on the size of files (ulimit -f) then fails a write like a full disk, with a
    // message and nothing left behind, instead of ending the program mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const AppArguments arguments = ParseAppArguments(rawArguments);
    if (!arguments.error.isEmpty()) {
        Print(stderr, QStringLiteral("vorlix: %1\n\n%2").arg(arguments.error, AppUsage()));
        return 2;
    }
    if (arguments.help) {
        Print(stdout, AppUsage());
        return 0;
    }
    if (arguments.version) {
        Print(stdout, QStringLiteral("Vorlix, Version 1.0\n"));
        return 0;
    }
    if (arguments.listScreens) {
        Print(stdout, screenshot::ScreenNames().join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return 0;
    }

    // Qt aborts without a usable platform, so choose one (or stop) before it starts.
    const bool platformChosen =
        !arguments.platform.isEmpty() || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const bool hasDisplay =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!platformChosen) {
        if (arguments.ScreenshotMode() || arguments.ReportMode()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else if (!hasDisplay) {
            Print(stderr,
                  QStringLiteral(
                      "vorlix: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                      "Run it under a display, for example: xvfb-run vorlix FILE.KVT,\n"
                      "or write pictures without one: vorlix --screenshot OUT.png "
                      "[--screen NAME] FILE.KVT\n"));
            return 1;
        }
    }

    InstallMessageFilter();
    QApplication application(argc, argv);
    // Qt takes the locale from the environment; numbers in files, titles and charts are
    // always written with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    CVorlixApp::SetIdentity();
    QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));

    if (arguments.ScreenshotMode())
        return screenshot::Run(arguments);
    if (arguments.ReportMode())
        return reportrunner::Run(arguments);
    CVorlixApp vorlix(arguments);
    return vorlix.Run();
}
