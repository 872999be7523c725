#include "document/ZeroedPages.h"
#include "document/FixedArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

// Small blocks come from the heap, large ones on a 2 MB boundary whether or not the system
// takes the huge-page advice; all are zero-filled and writable to their last byte.
TEST(ZeroedPagesTest, BlocksAreZeroedWritableAndLargeOnesAligned) {
    const zeroedpages::AdviseFn refuse = [](void*, std::size_t) { return -1; };
    const std::pair<std::size_t, zeroedpages::AdviseFn> cases[] = {
        {1000, &zeroedpages::AdviseHugePages},
        {zeroedpages::kHugePage, &zeroedpages::AdviseHugePages},
        {12'800'001, &zeroedpages::AdviseHugePages},
        {12'800'001, refuse}};
    for (const auto& [bytes, advise] : cases) {
        auto* block = static_cast<unsigned char*>(zeroedpages::Allocate(bytes, advise));
        ASSERT_NE(block, nullptr) << bytes;
        const auto misalignment = reinterpret_cast<std::uintptr_t>(block) % zeroedpages::kHugePage;
        EXPECT_TRUE(bytes < zeroedpages::kHugePage || misalignment == 0) << bytes;
        EXPECT_EQ(block[0] + block[bytes / 2] + block[bytes - 1], 0);
        std::memset(block, 0xab, bytes);
        EXPECT_EQ(block[bytes - 1], 0xab);
        zeroedpages::Free(block, bytes);
    }
    FixedArray<float, 3'200'000> samples;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(samples.data()) % zeroedpages::kHugePage, 0u);
    EXPECT_EQ(samples[3'199'999], 0.0f);
}
