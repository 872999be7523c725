#include "document/CVorlixDoc.h"

#include <filesystem>

CVorlixDoc::CVorlixDoc(const std::string& workDirectory) {
    options.settingsPath =
        (std::filesystem::path(workDirectory) / CKVTcontrol::kSettingsFileName).string();
    options.LoadSettings();
}
