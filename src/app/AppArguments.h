#pragma once

#include "app/MinimumClientSize.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The command line of `vorlix`:
//   vorlix [--workdir DIR] [FILE.KVT]
//   vorlix --screenshot OUT.png [--screen NAME] [--size WxH] [--page N] [--click-distance D]...
//          [--workdir DIR] FILE.KVT
//   vorlix --report OUT.pdf [--workdir DIR] FILE.KVT
// Parsed before the QApplication exists, because the screenshot mode chooses the platform.
struct AppArguments {
    QString workDirectory;  // folder of the settings file; empty: the current folder
    QString file;           // raw file opened at start-up
    QString screenshotPath; // set: draw one screen into this PNG instead of showing the window
    QString reportPath;     // set: write the PDF report of the file instead of showing the window
    QString screen = QStringLiteral("result");
    QSize size{1600, 1000};
    int page = 0;                // next-page commands after the screen is drawn
    QList<float> clickDistances; // left clicks on the result chart at these distances, in order
    QString platform; // -platform given for Qt, kept so that we do not choose one ourselves
    bool help = false;
    bool version = false;
    bool listScreens = false;
    QString error; // set when the command line cannot be used

    bool ScreenshotMode() const { return !screenshotPath.isEmpty(); }
    bool ReportMode() const { return !reportPath.isEmpty(); }
};

// A screenshot is at least the smallest window (kMinimumClientSize): a smaller one would show
// the screens overlapping, not as the window ever does.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr int kMaxPage = 100000;

// `arguments` starts with the program name, as argv does.
AppArguments ParseAppArguments(const QStringList& arguments);
QString AppUsage();
