#include "app/PngWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QSaveFile>

bool WritePng(const QImage& picture, const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (picture.isNull())
        return fail(QStringLiteral("there is no picture"));
    // Encoded first and written unbuffered, every write checked: a buffered tail that a full
    // device refuses at the commit would go unnoticed, and a cut picture replace the old one.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return fail(QStringLiteral("the picture could not be encoded"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 put = file.write(bytes.constData() + done, bytes.size() - done);
        if (put <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return fail(reason);
        }
        done += put;
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
