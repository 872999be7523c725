#include "analysis/Sections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using sections::Profile;

// Runs of (count, level) at 1-ft spacing from 0, each result moved by a small repeating
// ripple so that the noise level is never 0.
Profile Levels(const std::vector<std::pair<int, double>>& runs, double ripple = 0.01) {
    Profile p;
    for (const auto& [count, level] : runs)
        for (int i = 0; i < count; ++i) {
            const double wiggle = ripple * ((static_cast<int>(p.value.size()) % 4) - 1.5);
            p.distance.push_back(static_cast<double>(p.value.size()));
            p.value.push_back(level + wiggle);
        }
    return p;
}

Profile Values(const std::vector<double>& values) {
    Profile p;
    for (double v : values) {
        p.distance.push_back(static_cast<double>(p.value.size()));
        p.value.push_back(v);
    }
    return p;
}

std::vector<int> Firsts(const std::vector<sections::Section>& found) {
    std::vector<int> firsts;
    for (const auto& s : found)
        firsts.push_back(s.first);
    return firsts;
}

struct SectionCase {
    const char* name;
    Profile profile;
    double minLength;
    double merge;
    std::vector<int> firsts; // the first result of each section found
};

} // namespace

TEST(Sections, SplitWhereTheMeanSteps) {
    const SectionCase cases[] = {
        {"one step up", Levels({{20, 1.0}, {20, 2.0}}), 5, 0, {0, 20}},
        {"one step down", Levels({{25, 2.0}, {15, 1.2}}), 5, 0, {0, 25}},
        {"two steps", Levels({{20, 1.0}, {20, 2.0}, {20, 1.0}}), 5, 0, {0, 20, 40}},
        {"no change", Levels({{60, 1.0}}), 5, 0, {0}},
        {"constant: no noise to judge by", Levels({{60, 1.0}}, 0.0), 5, 0, {0}},
        // The jump to the last result is noise too: the step is lost in it.
        {"a last jump as noise", Levels({{20, 1.0}, {20, 2.0}, {1, 40.0}}), 5, 0, {0}},
        {"fewer than two shortest sections", Levels({{5, 1.0}, {4, 3.0}}), 5, 0, {0}},
        // |z| is as large at k = 5 as at k = 6; the first one cuts.
        {"first k on ties", Values({3, 2, 3, 3, 3, 2, 1, 1, 0}), 2, 0, {0, 5}},
        // 1.4 and 1.6 join first (0.2); their mean 1.5 is then 0.5 from 1.0: kept apart.
        {"merge the closest pair", Levels({{20, 1.0}, {20, 1.4}, {20, 1.6}}), 5, 0.35, {0, 20}},
        // 1.2 and 1.3 join (0.1), then 1.0 is 0.25 from their 1.25: joined in turn.
        {"merging cascades", Levels({{20, 1.0}, {20, 1.2}, {20, 1.3}}), 5, 0.3, {0}},
        {"merge 0 never joins", Levels({{20, 1.0}, {20, 1.2}, {20, 1.3}}), 5, 0, {0, 20, 40}},
    };
    for (const SectionCase& c : cases) {
        const sections::SectionParameters parameters{.minLength = c.minLength, .merge = c.merge};
        EXPECT_EQ(Firsts(sections::FindSections(c.profile, parameters)), c.firsts) << c.name;
    }
    EXPECT_TRUE(sections::FindSections(Profile{}, {}).empty());
}

TEST(Sections, FiguresOfASection) {
    const auto found = sections::FindSections(Values({5, 1, 4, 2, 3}), {.k = 1.64});
    ASSERT_EQ(found.size(), 1u);
    const sections::Section& s = found[0];
    EXPECT_EQ(std::tuple(s.first, s.last, s.results), std::tuple(0, 4, 5));
    EXPECT_DOUBLE_EQ(s.endFt, 4.0);
    EXPECT_DOUBLE_EQ(s.mean, 3.0);
    EXPECT_DOUBLE_EQ(s.sd, std::sqrt(2.5));
    EXPECT_DOUBLE_EQ(s.cov, std::sqrt(2.5) / 3.0);
    EXPECT_DOUBLE_EQ(s.characteristic, 3.0 + 1.64 * std::sqrt(2.5));
    EXPECT_DOUBLE_EQ(s.p90, 4.6); // position 3.6 of 1 2 3 4 5
    EXPECT_DOUBLE_EQ(s.p95, 4.8);
    EXPECT_EQ(std::make_pair(s.min, s.max), std::make_pair(1.0, 5.0));

    const auto single = sections::FindSections(Values({7}), {});
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(std::pair(single[0].sd, single[0].p95), std::pair(0.0, 7.0));
}

TEST(Sections, StationTexts) {
    const std::pair<double, const char*> cases[] = {{0.0, "0.0"},      {5279.94, "5279.9"},
                                                    {5280.0, "1+0.0"}, {12345.67, "2+1785.7"},
                                                    {-3.0, "-3.0"},    {NAN, "nan"}};
    for (const auto& [feet, text] : cases)
        EXPECT_EQ(sections::StationOf(feet), text) << feet;
}

TEST(Flags, RunsJoinedAndDropped) {
    // Distances, values (threshold 1: 2 is above it, 0 below), first and last index of each flag.
    // clang-format off
    const std::tuple<const char*, std::vector<double>, std::vector<double>,
                     std::vector<std::pair<int, int>>> cases[] = {
        {"a run broken by a distance gap", {0, 1, 2, 3, 10, 11, 12}, {2, 2, 2, 2, 2, 2, 2},
         {{0, 3}, {4, 6}}},
        {"runs joined across the gap", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {2, 2, 0, 0, 0, 0, 2, 0, 2},
         {{0, 8}}},
        {"a spacing over 1.5 ft ends a run, the gap joins it back", {0, 1, 2.6, 3.6}, {2, 2, 2, 0},
         {{0, 2}}},
        {"exactly minFlag results kept, one fewer dropped", {0, 1, 20, 21, 22}, {2, 2, 2, 2, 2},
         {{2, 4}}},
        {"at the limit is not above it", {0, 1, 2, 3}, {1, 2, 2, 1}, {}}};
    // clang-format on
    const sections::FlagParameters parameters{.threshold = 1.0, .gap = 5.0, .minFlag = 3};
    for (const auto& [name, distance, value, expected] : cases) {
        std::vector<std::pair<int, int>> spans;
        int number = 0;
        for (const sections::Flag& f : sections::FindFlags({distance, value}, {}, parameters)) {
            spans.emplace_back(f.first, f.last);
            EXPECT_EQ(f.number, ++number) << name;
        }
        EXPECT_EQ(spans, expected) << name;
    }
}

TEST(Flags, EachResultAgainstItsSectionsCharacteristic) {
    // Two sections; the same value 1.5 is above the first one's characteristic, not the
    // second's.
    const Profile profile = Values({1, 1, 1.5, 1.5, 1.5, 3, 3, 1.5, 1.5, 1.5, 3});
    std::vector<sections::Section> parts(2);
    parts[0].last = 4, parts[0].characteristic = 1.2;
    parts[1].first = 5, parts[1].last = 10, parts[1].characteristic = 2.0;
    const auto flags = sections::FindFlags(profile, parts, {{}, 0.0, 1});
    ASSERT_EQ(flags.size(), 2u);
    EXPECT_EQ(std::tuple(flags[0].first, flags[0].last, flags[0].results), std::tuple(2, 6, 5));
    EXPECT_DOUBLE_EQ(flags[0].peak, 3.0);
    EXPECT_DOUBLE_EQ(flags[0].peakFt, 5.0); // the first of two equal peaks
    EXPECT_DOUBLE_EQ(flags[0].mean, (1.5 * 3 + 3 * 2) / 5);
    EXPECT_EQ(std::make_pair(flags[1].first, flags[1].last), std::make_pair(10, 10));

    // The same profile against an absolute threshold of 1.4: every 1.5 counts.
    const auto absolute = sections::FindFlags(profile, parts, {.threshold = 1.4, .minFlag = 1});
    ASSERT_EQ(absolute.size(), 1u);
    EXPECT_EQ(std::make_pair(absolute[0].first, absolute[0].last), std::make_pair(2, 10));
}
