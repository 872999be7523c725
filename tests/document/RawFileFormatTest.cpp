#include "document/RawFileFormat.h"
#include "document/CompanionFiles.h"
#include "support/RawFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using rawfile::BuildSegmentTable;
using rawfile::SegmentRange;

namespace {

std::vector<std::pair<long long, long long>> Pairs(const std::vector<SegmentRange>& table) {
    std::vector<std::pair<long long, long long>> out;
    for (const auto& s : table)
        out.emplace_back(s.first, s.end);
    return out;
}

} // namespace

TEST(SegmentTable, RemainderOverFourHundredGroupsFormsAShortLastSegment) {
    EXPECT_EQ(Pairs(BuildSegmentTable(13201, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 12800}, {12800, 13201}}));
}

TEST(SegmentTable, RemainderOfFourHundredJoinsTheLastSegment) {
    // The joined groups lie past the read length and are never read.
    EXPECT_EQ(Pairs(BuildSegmentTable(13200, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 13200}}));
    EXPECT_EQ(Pairs(BuildSegmentTable(25600 + 400, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 12800}, {12800, 26000}}));
}

TEST(SegmentTable, SmallFilesAreOneSegmentOfAllGroups) {
    EXPECT_EQ(Pairs(BuildSegmentTable(400, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 400}}));
    EXPECT_EQ(Pairs(BuildSegmentTable(1, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 1}}));
    EXPECT_EQ(Pairs(BuildSegmentTable(401, 12800)),
              (std::vector<std::pair<long long, long long>>{{0, 401}}));
    EXPECT_TRUE(BuildSegmentTable(0, 12800).empty());
}

TEST(SegmentTable, GrowsPastTenSegmentsWithTheFile) {
    auto table = BuildSegmentTable(12800LL * 25 + 1000, 12800);
    ASSERT_EQ(table.size(), 26u);
    EXPECT_EQ(table.back().first, 12800LL * 25);
    EXPECT_EQ(table.back().end, 12800LL * 25 + 1000);
}

TEST(RawFileFormat, GroupCountIgnoresAPartialGroupAndShortFiles) {
    EXPECT_EQ(rawfile::GroupCountOfFile(0, 5), 0);
    EXPECT_EQ(rawfile::GroupCountOfFile(7999, 5), 0);
    EXPECT_EQ(rawfile::GroupCountOfFile(8000 + 2600 * 3 + 2599, 5), 3);
    // No active channel still means 100-byte groups.
    EXPECT_EQ(rawfile::GroupCountOfFile(8000 + 1000, 0), 10);
}

TEST(RawFileFormat, TitleCountsTheWholeFile) {
    EXPECT_EQ(rawfile::WindowTitle(13201, 2),
              "Raw data file has 3300250 point and 13201 group. Current read segment is:2");
}

TEST(CompanionNames, ReplaceTheTextAfterTheLastDot) {
    CompanionNames n = DeriveCompanionNames("/data/road.kvt");
    EXPECT_EQ(n.img, "/data/road.IMG");
    EXPECT_EQ(n.gps, "/data/road.GPS");
    EXPECT_EQ(n.dat, "/data/road.DAT");
    EXPECT_EQ(n.rdo, "/data/road.RDO");
    EXPECT_EQ(n.txt, "/data/road.TXT");
}

TEST(CompanionNames, PathWithoutDotGetsDottedExtensions) {
    CompanionNames n = DeriveCompanionNames("/data/road");
    EXPECT_EQ(n.img, "/data/road.IMG");
    EXPECT_EQ(n.txt, "/data/road.TXT");
}

TEST(CompanionNames, DotInAFolderNameCountsAsTheLastDot) {
    EXPECT_EQ(DeriveCompanionNames("/data/run.1/road").gps, "/data/run.GPS");
}

TEST(CompanionNames, FoundIgnoringCaseWhenTheDerivedNameIsMissing) {
    TempDir dir;
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.img"), {1, 2, 3}));
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("T.Gps"), {1}));
    EXPECT_EQ(FindCompanionFile(dir.File("t.IMG")), dir.File("t.img"));
    EXPECT_EQ(FindCompanionFile(dir.File("t.GPS")), dir.File("T.Gps"));
    // Missing altogether: the derived name stays, and its reader finds no data.
    EXPECT_EQ(FindCompanionFile(dir.File("t.DAT")), dir.File("t.DAT"));
}

TEST(CompanionNames, DerivedNameWinsWhenItExists) {
    TempDir dir;
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.IMG"), {1}));
    ASSERT_TRUE(RawFileBuilder::WriteBytes(dir.File("t.img"), {1}));
    EXPECT_EQ(FindCompanionFile(dir.File("t.IMG")), dir.File("t.IMG"));
}
