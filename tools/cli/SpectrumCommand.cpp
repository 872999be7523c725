#include "Commands.h"

#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const char* const kUsage = "usage: vorlix-cli spectrum FILE.KVT --signal load|geo "
                           "[--start S --end E] [--segment K] [--workdir DIR]\n";

constexpr int kDefaultWindow = 5000;

int Usage(const std::string& error) {
    std::fprintf(stderr, "vorlix-cli spectrum: %s\n%s", error.c_str(), kUsage);
    return 2;
}

} // namespace

int RunSpectrum(const CliArgs& args) {
    std::string error;
    if (!args.OnlyKnown({"signal", "start", "end", "segment"}, &error))
        return Usage(error);
    if (args.Positional().size() != 1)
        return Usage("one raw file is needed");
    const std::string signal = args.Value("signal").value_or("");
    int mode = 0;
    if (signal == "load")
        mode = spectrum::kLoadMode;
    else if (signal == "geo")
        mode = spectrum::kGeophoneMode;
    else
        return Usage("--signal must be load or geo");
    int segment = 0, start = 0, end = -1;
    if (!args.IntValue("segment", 0, &segment, &error) ||
        !args.IntValue("start", 0, &start, &error) || !args.IntValue("end", -1, &end, &error))
        return Usage(error);
    if (segment < 0)
        return Usage("--segment must not be negative");

    const std::string path = args.Positional()[0];
    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());
    // Segment 0 is read by the open itself; another segment is read alone, after it.
    RawFileLoader loader;
    loader.refuseUnusableBand = false; // the signals are shown whatever the band
    const bool otherSegment = segment != 0;
    LoadResult result =
        loader.OpenNewFile(*doc, path, OpenOptions{.readFirstSegment = !otherSegment});
    if (result.fileOpened && otherSegment) {
        if (segment >= doc->options.segmentCount) {
            std::fprintf(stderr, "vorlix-cli: segment %d does not exist (the file has %d)\n",
                         segment, doc->options.segmentCount);
            return 1;
        }
        doc->options.currentSegment = segment;
        result = loader.ReloadCurrentFile(*doc);
    }
    if (!result.segmentRead) {
        std::fprintf(stderr, "vorlix-cli: %s\n", result.message.c_str());
        return 1;
    }
    // The spectrum looks at the raw signals only, so a failed analysis does not stop it.
    if (result.analysisFailed)
        std::fprintf(stderr, "vorlix-cli: warning: analysis: %s\n", result.message.c_str());
    if (!args.Has("end"))
        end = static_cast<int>(std::min<long long>(doc->pointCount, start + 0LL + kDefaultWindow));
    if (start < 0 || end <= start || end > doc->pointCount)
        return Usage("the window from point " + std::to_string(start) + " to " +
                     std::to_string(end) + " is not inside the segment's " +
                     std::to_string(doc->pointCount) + " points");

    SpectrumData data;
    if (!ComputeSpectrum(*doc, mode, start, end, &data, &error)) {
        std::fprintf(stderr, "vorlix-cli: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", data.title.c_str());
    for (std::size_t k = 0; k < data.values.size(); ++k)
        std::printf("%.4f %.6f\n", data.FrequencyAt(k), static_cast<double>(data.values[k]));
    return 0;
}
