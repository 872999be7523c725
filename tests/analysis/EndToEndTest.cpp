// The whole chain on generated files: the exported 1-foot results against the generator's true
// ratio profile.
#include "analysis/ResultExport.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileLoader.h"
#include "support/SynthFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

struct Result {
    double distance;
    double value;
};

std::vector<Result> ReadTxt(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Result> results;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Result r{};
        if (fields >> r.distance >> r.value)
            results.push_back(r);
    }
    return results;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        synth::Options options = SmallSynthOptions();
        options.groups = 4000; // 1000 s, about 14,700 ft at 10 mph
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        files = GenerateSynthFiles(dir, options);
        ASSERT_TRUE(files.ok) << files.error;
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        // Segments of 1500 groups: 1500, 1500 and a last one of 1000.
        doc->options.segmentGroups = 1500;
        LoadResult r = loader.OpenNewFile(*doc, files.kvt);
        ASSERT_TRUE(r.segmentRead && !r.analysisFailed) << r.message;
        ASSERT_EQ(doc->options.segmentCount, 3);
    }

    // Median relative error against the truth shifted by `offset` feet, away from the ends of
    // the segments (the filter's start-up and the last group have no results to compare).
    double MedianError(const std::vector<Result>& results, double offset,
                       const std::vector<double>& segmentEnds) const {
        std::vector<double> errors;
        for (const Result& r : results) {
            bool nearEnd = false;
            for (double end : segmentEnds)
                nearEnd = nearEnd || std::fabs(r.distance - end) < 60.0;
            if (nearEnd)
                continue;
            double truth = synth::TrueRatioAt(files.options, r.distance - offset);
            errors.push_back(std::fabs(r.value - truth) / truth);
        }
        return errors.empty() ? 1.0 : Median(errors);
    }

    TempDir dir;
    SynthFiles files;
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
};

TEST_F(EndToEndTest, ExportedResultsFollowTheTrueRatioInSegmentOrder) {
    const std::string txt = dir.File("out.TXT"), rdo = dir.File("out.RDO");
    ExportStatus status = ExportResults(*doc, loader, txt, rdo);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(status.segmentCount, 3);
    std::vector<Result> results = ReadTxt(txt);
    ASSERT_EQ(static_cast<std::int64_t>(results.size()), status.resultCount);

    // One result per foot along the whole road, in order across the segments.
    const double roadLength = results.back().distance - results.front().distance;
    EXPECT_GT(results.size(), 0.95 * roadLength);
    for (std::size_t i = 1; i < results.size(); ++i)
        ASSERT_GT(results[i].distance, results[i - 1].distance) << i;

    // Segment boundaries, from the distances of groups 1500 and 3000.
    std::vector<double> ends = {results.front().distance, results.back().distance};
    for (int segment : {1, 2}) {
        doc->options.currentSegment = segment;
        ASSERT_TRUE(loader.ReloadCurrentFile(*doc).segmentRead);
        ends.push_back(doc->segmentStartDistance);
    }

    // The results lie ahead of the truth by about one group (3.7 ft at 10 mph: the first group
    // ends at its stored distance, later ones start at theirs) plus the filter's delay at 30 Hz
    // (about 2.7 ft); find that offset, then check the error.
    double bestOffset = 0.0, bestError = 1.0;
    for (double offset = 0.0; offset <= 12.0; offset += 0.25) {
        double error = MedianError(results, offset, ends);
        if (error < bestError) {
            bestError = error;
            bestOffset = offset;
        }
    }
    RecordProperty("offset_ft", std::to_string(bestOffset));
    RecordProperty("median_relative_error", std::to_string(bestError));
    EXPECT_GT(bestOffset, 4.5);
    EXPECT_LT(bestOffset, 8.0);
    EXPECT_LT(bestError, 0.03) << "offset " << bestOffset;
}

} // namespace
