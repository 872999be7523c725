#include "app/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSettingsKey = QStringLiteral("recentFiles");

// One spelling per file, so "./a.KVT" and "/home/x/a.KVT" are the same entry.
QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString RecentFileList::MenuText(const QString& path) {
    const QFileInfo file(path);
    QString folder = QDir::toNativeSeparators(file.absolutePath());
    if (folder.size() > kMaxFolderChars) {
        const int head = kMaxFolderChars / 3;
        const int tail = kMaxFolderChars - head - 1;
        folder = folder.left(head) + QChar(0x2026) + folder.right(tail);
    }
    QString text = file.fileName() + QStringLiteral(" \u2014 ") + folder;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QStringList RecentFileList::WithAdded(const QStringList& files, const QString& path) {
    const QString added = Normalised(path);
    QStringList result{added};
    for (const QString& file : files) {
        if (result.size() == kMaxFiles)
            break;
        if (!file.isEmpty() && Normalised(file) != added)
            result << file;
    }
    return result;
}

void RecentFileList::Load() {
    QStringList stored = QSettings().value(kSettingsKey).toStringList();
    files_.clear();
    // Rebuilt oldest first so that a hand-edited list still obeys the rules.
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        if (!it->isEmpty())
            files_ = WithAdded(files_, *it);
}

void RecentFileList::Add(const QString& path) {
    files_ = WithAdded(files_, path);
    Save();
}

void RecentFileList::Remove(const QString& path) {
    files_.removeAll(Normalised(path));
    Save();
}

void RecentFileList::Save() const {
    QSettings().setValue(kSettingsKey, files_);
}
