#pragma once

#include <QString>
#include <QStringList>

// The last raw files opened, newest first, kept in the profile (QSettings) between runs.
class RecentFileList {
public:
    static constexpr int kMaxFiles = 4;

    // Reads the list from the profile.
    void Load();
    // Puts `path` first and writes the list to the profile.
    void Add(const QString& path);
    // Drops `path` (a file that has gone) and writes the list to the profile.
    void Remove(const QString& path);
    const QStringList& Files() const { return files_; }

    // The menu entry of a recent file: its name, then its folder ("demo.KVT — /data/route7"),
    // with '&' doubled so that no letter becomes a shortcut and a folder longer than
    // kMaxFolderChars shortened in its middle.
    static QString MenuText(const QString& path);
    static constexpr int kMaxFolderChars = 60;

    // `files` with `path` first, an earlier entry of the same file dropped, at most kMaxFiles.
    static QStringList WithAdded(const QStringList& files, const QString& path);

private:
    void Save() const;

    QStringList files_;
};
