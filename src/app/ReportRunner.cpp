#include "app/ReportRunner.h"

#include "app/CVorlixApp.h"
#include "charts/ReportFacts.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"
#include "pipeline/SectionsExport.h"
#include "pipeline/SectionsSettingsFile.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace reportrunner {

namespace {

int Fail(int code, const QString& message) {
    std::fprintf(stderr, "vorlix: %s\n", message.toLocal8Bit().constData());
    return code;
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

int Run(const AppArguments& arguments) {
    QString error;
    const QString workDirectory = CVorlixApp::ResolveWorkDirectory(arguments.workDirectory, &error);
    if (workDirectory.isEmpty())
        return Fail(2, error);
    SectionsSettingsFile settings;
    std::string why;
    if (!settings.Load(workDirectory.toStdString(), &why))
        return Fail(2, FromStd(why));
    const QFileInfo file(arguments.file);
    if (!file.isFile())
        return Fail(1, QStringLiteral("cannot open %1: no such file").arg(arguments.file));

    // The document holds the large fixed arrays: keep it off the stack.
    auto doc = std::make_unique<CVorlixDoc>(workDirectory.toStdString());
    RawFileLoader loader;
    const std::string path = file.absoluteFilePath().toStdString();
    const LoadResult opened =
        loader.OpenNewFile(*doc, path, OpenOptions{.readFirstSegment = false});
    if (!opened.fileOpened)
        return Fail(1, FromStd(opened.message));
    const sectionsexport::ProfileStatus read =
        sectionsexport::CollectProfile(*doc, loader, {.jobs = 0, .reloadShownSegment = false});
    if (!read.ok)
        return Fail(
            1, QStringLiteral("no report of %1: %2").arg(arguments.file, FromStd(read.message)));
    const sections::Result result = sections::Analyse(read.profile, settings.parameters);
    const report::ReportContent content =
        report::ContentOf({*doc, read.profile, result, settings.parameters, settings.classLimits});
    if (!report::WriteReport(content, arguments.reportPath.toStdString(), &why))
        return Fail(1,
                    QStringLiteral("cannot write %1: %2").arg(arguments.reportPath, FromStd(why)));
    return 0;
}

} // namespace reportrunner
