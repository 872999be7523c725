// The raw test file: its channel table, segment 0 decoded and the whole analysis chain behind
// it, with settings that analyse a real test.
#include "FuzzInputFile.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzInputFile input("test.KVT");
    static CVorlixDoc doc(input.Folder().string());
    static RawFileLoader loader;
    CKVTcontrol& options = doc.options;
    options.geophoneSelect = 1;
    options.loadFactor = 2.5f;
    options.centerFactor = 5.6f;
    options.frontFactor = 5.0f;
    options.rearFactor = 5.3f;
    options.bandpassLow = 25.0f;
    options.bandpassHigh = 35.0f;
    options.lowpassCutoff = 5.0f;
    options.showGprColormap = 0;
    const LoadResult result = loader.OpenNewFile(doc, input.Write(data, size));
    if (result.segmentRead && doc.pointCount > 0) {
        // The look-ups the charts make along the loaded segment.
        doc.StationText(doc.pointCount / 2);
        doc.CycleAtDistance(doc.DistanceAtPoint(doc.pointCount / 2));
    }
    return 0;
}
