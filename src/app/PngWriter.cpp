#include "app/PngWriter.h"

#include <QSaveFile>

bool WritePng(const QImage& picture, const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (picture.isNull())
        return fail(QStringLiteral("there is no picture"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (!picture.save(&file, "PNG")) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason.isEmpty() ? QStringLiteral("the picture could not be encoded") : reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
