// The GPR file: scan distances, marks and ranges, then one window of scans loaded and read
// back as the colour map reads it.
#include "FuzzInputFile.h"
#include "document/Cgprdata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzInputFile input("test.DAT");
    static Cgprdata gpr;
    gpr.path = input.Write(data, size);
    std::string note;
    if (gpr.ReadFile(&note) != 0)
        return 0;
    const int first = gpr.scanCount / 3;
    if (gpr.LoadScans(first, gpr.scanCount - first) == 0) {
        long long sum = 0;
        for (int i = first; i < gpr.loadedEnd; ++i) {
            const Ctrace& trace = gpr.Trace(i);
            for (int k = 0; k < trace.sampleCount; ++k)
                sum += trace.samples[static_cast<std::size_t>(k)];
        }
        volatile long long keep = sum;
        (void)keep;
    }
    return 0;
}
