#pragma once

#include <QString>

// The window's own preferences, kept in the profile beside the recent files and the window
// geometry. The analysis settings are not among them: they live in the work folder's settings
// file.
class WindowPreferences {
public:
    // Pictures a second of a road-picture play, within 1 to kMaxPlayRate.
    static inline const QString kPlayRateKey = QStringLiteral("preferences/playRate");
    static constexpr int kMaxPlayRate = 100;

    // The profile's play rate; the default rate when it is not a whole number. A missing one is
    // written, so that the profile shows where to change it.
    static int PlayRate();
};
