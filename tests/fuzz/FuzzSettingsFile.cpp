// The settings file: read, written back and read again.
#include "FuzzInputFile.h"
#include "document/CKVTcontrol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzInputFile input("Vorlixcontrol.dat");
    CKVTcontrol settings;
    settings.settingsPath = input.Write(data, size);
    settings.LoadSettings();
    if (settings.SaveSettings()) {
        CKVTcontrol again;
        again.settingsPath = settings.settingsPath;
        again.LoadSettings();
    }
    return 0;
}
