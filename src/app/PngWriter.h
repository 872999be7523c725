#pragma once

#include <QImage>
#include <QString>

// Writes `picture` as a PNG through a temporary file that replaces `path` only when the whole
// picture was written, so a failed write never leaves a half file. On failure returns false
// with the reason in *error.
bool WritePng(const QImage& picture, const QString& path, QString* error);
