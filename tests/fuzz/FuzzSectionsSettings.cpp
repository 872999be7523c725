// The sections settings file: read, written back and read again, which must give the same
// parameters (the file keeps what it does not know, so a save must never change what it knows).
#include "FuzzInputFile.h"
#include "pipeline/SectionsSettingsFile.h"

#include <cstdlib>

namespace {

bool Same(const SectionsSettingsFile& a, const SectionsSettingsFile& b) {
    const sections::Parameters& p = a.parameters;
    const sections::Parameters& q = b.parameters;
    const bool limits = a.classLimits.has_value() == b.classLimits.has_value() &&
                        (!a.classLimits || (a.classLimits->a == b.classLimits->a &&
                                            a.classLimits->b == b.classLimits->b &&
                                            a.classLimits->c == b.classLimits->c));
    return p.section.minLength == q.section.minLength && p.section.alpha == q.section.alpha &&
           p.section.k == q.section.k && p.section.merge == q.section.merge &&
           p.flag.threshold == q.flag.threshold && p.flag.gap == q.flag.gap &&
           p.flag.minFlag == q.flag.minFlag && limits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzInputFile input(SectionsSettingsFile::kFileName);
    input.Write(data, size);
    const std::string folder = input.Folder().string();
    SectionsSettingsFile settings;
    std::string error;
    if (!settings.Load(folder, &error) || !settings.Save(folder, &error))
        return 0;
    SectionsSettingsFile again;
    if (!again.Load(folder, &error) || !Same(settings, again))
        std::abort();
    return 0;
}
