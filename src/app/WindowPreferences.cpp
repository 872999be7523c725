#include "app/WindowPreferences.h"

#include "images/CviewPicture.h"

#include <QSettings>

#include <algorithm>

int WindowPreferences::PlayRate() {
    QSettings settings;
    if (!settings.contains(kPlayRateKey))
        settings.setValue(kPlayRateKey, CviewPicture::kDefaultPlayRate);
    bool ok = false;
    const int stored = settings.value(kPlayRateKey).toString().trimmed().toInt(&ok);
    return ok ? std::clamp(stored, 1, kMaxPlayRate) : CviewPicture::kDefaultPlayRate;
}
