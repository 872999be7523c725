#include "app/CVorlixApp.h"

#include "app/CMainFrame.h"
#include "document/CVorlixDoc.h"
#include "view/CVorlixView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

CVorlixApp::CVorlixApp(const AppArguments& arguments)
    : startDirectory(QDir::currentPath()), arguments_(arguments) {}

CVorlixApp::~CVorlixApp() {
    frame_.reset(); // the view refers to the document
    doc_.reset();
}

void CVorlixApp::SetIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Vorlix"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vorlix.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorlix"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorlix.Vorlix"));
}

QString CVorlixApp::ResolveWorkDirectory(const QString& given, QString* error) {
    const QFileInfo folder(given.isEmpty() ? QDir::currentPath() : given);
    if (!folder.isDir()) {
        if (error)
            *error = QStringLiteral("the work folder %1 does not exist").arg(given);
        return {};
    }
    return QDir::cleanPath(folder.absoluteFilePath());
}

int CVorlixApp::Run() {
    QString error;
    workDirectory = ResolveWorkDirectory(arguments_.workDirectory, &error);
    if (workDirectory.isEmpty()) {
        std::fprintf(stderr, "vorlix: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    // Relative to the folder the program was started in, whatever the work folder is.
    const QString file =
        arguments_.file.isEmpty() ? QString() : QFileInfo(arguments_.file).absoluteFilePath();

    doc_ = std::make_unique<CVorlixDoc>(workDirectory.toStdString());
    frame_ = std::make_unique<CMainFrame>(*doc_, workDirectory);
    frame_->ShowWithSavedGeometry();
    if (!file.isEmpty()) {
        // After the first layout, so the result view is drawn at the window's size.
        QTimer::singleShot(0, frame_.get(), [this, file] { frame_->View()->OpenFile(file); });
    }
    return QApplication::exec();
}
