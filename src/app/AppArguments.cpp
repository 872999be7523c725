#include "app/AppArguments.h"

#include <QRegularExpression>

#include <cmath>

namespace {

bool ParseSize(const QString& text, QSize* size) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < kMinimumClientSize.width() || height < kMinimumClientSize.height() ||
        width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    *size = QSize(width, height);
    return true;
}

} // namespace

AppArguments ParseAppArguments(const QStringList& arguments) {
    AppArguments result;
    bool screenGiven = false;
    bool sizeGiven = false;
    bool pageGiven = false;
    for (int i = 1; i < arguments.size() && result.error.isEmpty(); ++i) {
        QString name = arguments[i];
        QString value;
        bool hasInlineValue = false;
        if (name.startsWith(QLatin1String("--")) && name.contains(QLatin1Char('='))) {
            value = name.mid(name.indexOf(QLatin1Char('=')) + 1);
            name = name.left(name.indexOf(QLatin1Char('=')));
            hasInlineValue = true;
        }
        // Takes the option's value from "--name=value" or from the next argument.
        auto takeValue = [&]() -> bool {
            if (hasInlineValue)
                return true;
            if (i + 1 >= arguments.size()) {
                result.error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = arguments[++i];
            return true;
        };

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            result.help = true;
        } else if (name == QLatin1String("--version")) {
            result.version = true;
        } else if (name == QLatin1String("--list-screens")) {
            result.listScreens = true;
        } else if (name == QLatin1String("--workdir")) {
            if (takeValue())
                result.workDirectory = value;
        } else if (name == QLatin1String("--screenshot")) {
            if (takeValue()) {
                result.screenshotPath = value;
                if (value.isEmpty())
                    result.error = QStringLiteral("--screenshot needs a file name");
            }
        } else if (name == QLatin1String("--report")) {
            if (takeValue()) {
                result.reportPath = value;
                if (value.isEmpty())
                    result.error = QStringLiteral("--report needs a file name");
            }
        } else if (name == QLatin1String("--screen")) {
            if (takeValue()) {
                result.screen = value;
                screenGiven = true;
            }
        } else if (name == QLatin1String("--size")) {
            if (takeValue()) {
                sizeGiven = true;
                if (!ParseSize(value, &result.size))
                    result.error =
                        QStringLiteral("--size wants WIDTHxHEIGHT from %1x%2 (the smallest "
                                       "window, at which every screen fits) to %3x%3: %4")
                            .arg(kMinimumClientSize.width())
                            .arg(kMinimumClientSize.height())
                            .arg(kMaxPictureSide)
                            .arg(value);
            }
        } else if (name == QLatin1String("--page")) {
            if (takeValue()) {
                pageGiven = true;
                bool ok = false;
                result.page = value.toInt(&ok);
                if (!ok || result.page < 0 || result.page > kMaxPage)
                    result.error = QStringLiteral("--page wants a number from 0 to %1: %2")
                                       .arg(kMaxPage)
                                       .arg(value);
            }
        } else if (name == QLatin1String("--click-distance")) {
            if (takeValue()) {
                pageGiven = true;
                bool ok = false;
                const float distance = value.toFloat(&ok);
                if (!ok || !std::isfinite(distance))
                    result.error =
                        QStringLiteral("--click-distance wants a distance in feet: %1").arg(value);
                else
                    result.clickDistances.append(distance);
            }
        } else if (name == QLatin1String("-platform") || name == QLatin1String("--platform")) {
            if (takeValue())
                result.platform = value;
        } else if (name.startsWith(QLatin1Char('-')) && name.size() > 1) {
            result.error = QStringLiteral("unknown option %1").arg(name);
        } else if (result.file.isEmpty()) {
            result.file = name;
        } else {
            result.error = QStringLiteral("only one file can be opened: %1").arg(name);
        }
    }
    if (!result.error.isEmpty() || result.help || result.version || result.listScreens)
        return result;
    if (result.ScreenshotMode() && result.ReportMode())
        result.error = QStringLiteral("--screenshot and --report go separately");
    else if (result.ReportMode() && result.file.isEmpty())
        result.error = QStringLiteral("--report needs the raw file to report on");
    else if (result.ScreenshotMode() && result.file.isEmpty())
        result.error = QStringLiteral("--screenshot needs the raw file to draw");
    else if (!result.ScreenshotMode() && (screenGiven || sizeGiven || pageGiven))
        result.error =
            QStringLiteral("--screen, --size, --page and --click-distance go with --screenshot");
    return result;
}

QString AppUsage() {
    return QStringLiteral(
        "Usage:\n"
        "  vorlix [--workdir DIR] [FILE.KVT]\n"
        "      opens the window, and the raw test file when one is given.\n"
        "  vorlix --screenshot OUT.png [--screen NAME] [--size WxH] [--page N]\n"
        "         [--click-distance D]... [--workdir DIR] FILE.KVT\n"
        "      draws one screen of FILE.KVT into OUT.png without a display and exits\n"
        "      (screen \"result\" and 1600x1000 unless given; N next-page steps; each D a\n"
        "      left click on the result chart at that distance in feet, data views only).\n"
        "  vorlix --report OUT.pdf [--workdir DIR] FILE.KVT\n"
        "      writes the PDF report of FILE.KVT (file, settings, profile, map, sections and\n"
        "      flags) without a display and exits.\n"
        "  vorlix --list-screens   prints the screen names\n"
        "  vorlix --version | --help\n"
        "\n"
        "--workdir DIR is the folder of the settings file Vorlixcontrol.dat (default: the\n"
        "current folder).\n");
}
