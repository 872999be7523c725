// A read whose analysis cannot run must leave the document on the segment it held.
#include "support/SynthFixture.h"

#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

namespace {

// What the window shows of a segment: its number, signals, cycles and results.
auto Shown(const CVorlixDoc& d) {
    const auto n = static_cast<std::size_t>(d.pointCount);
    return std::tuple(d.options.currentSegment, d.pointCount, d.groupDistance[0],
                      std::vector<float>(d.geoSignal.data(), d.geoSignal.data() + n),
                      std::vector<float>(d.geoFiltered.data(), d.geoFiltered.data() + n),
                      d.cycleCount, d.cycleRatio[0], d.resultCount, d.resultValue[0]);
}

TEST(FailedAnalysis, BandTheFilterCannotUseLeavesTheSegmentShown) {
    TempDir dir;
    const SynthFiles files = GenerateSynthFiles(dir, PlainRoad(2500));
    ASSERT_TRUE(files.ok) << files.error;
    const std::pair<float, float> bands[] = {
        {-5.0f, 35.0f}, {0.0f, 35.0f}, {25.0f, 500.0f}, {30.0f, 30.0f}, {35.0f, 25.0f}};
    for (const auto& [low, high] : bands) {
        auto doc = std::make_unique<CVorlixDoc>(dir.Path());
        doc->options.segmentGroups = 1000; // three segments
        RawFileLoader loader;
        ASSERT_TRUE(loader.OpenNewFile(*doc, files.kvt).segmentRead);
        ASSERT_GT(doc->cycleCount, 100);
        const auto before = Shown(*doc);
        doc->options.bandpassLow = low, doc->options.bandpassHigh = high;

        const LoadResult next = loader.ReadSegment(*doc, 1, {});
        EXPECT_TRUE(!next.segmentRead && next.analysisFailed) << low << " to " << high;
        EXPECT_EQ(next.message, "Math Exception: Invalid band specification.");
        EXPECT_TRUE(Shown(*doc) == before) << low << " to " << high;

        // Another file is not taken either.
        doc->rawPath = "shown.KVT";
        const LoadResult other = loader.OpenNewFile(*doc, files.kvt);
        EXPECT_TRUE(!other.fileOpened && other.analysisFailed);
        EXPECT_EQ(doc->rawPath, "shown.KVT");
        EXPECT_TRUE(Shown(*doc) == before) << low << " to " << high;
    }
}

} // namespace
