#include "document/ZeroedPages.h"
#include "document/FixedArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

int RefuseAdvice(void*, std::size_t) {
    return -1;
}

// Small blocks come from the heap, large ones on a 2 MB boundary whether or not the system
// takes the huge-page advice; all are zero-filled and writable to their last byte.
TEST(ZeroedPagesTest, BlocksAreZeroedWritableAndLargeOnesAligned) {
    const struct {
        std::size_t bytes;
        zeroedpages::AdviseFn advise;
    } cases[] = {{1000, &zeroedpages::AdviseHugePages},
                 {zeroedpages::kHugePage, &zeroedpages::AdviseHugePages},
                 {12'800'001, &zeroedpages::AdviseHugePages},
                 {12'800'001, &RefuseAdvice}};
    for (const auto& c : cases) {
        auto* block = static_cast<unsigned char*>(zeroedpages::Allocate(c.bytes, c.advise));
        ASSERT_NE(block, nullptr) << c.bytes;
        const auto misalignment = reinterpret_cast<std::uintptr_t>(block) % zeroedpages::kHugePage;
        EXPECT_TRUE(c.bytes < zeroedpages::kHugePage || misalignment == 0) << c.bytes;
        EXPECT_EQ(block[0] + block[c.bytes / 2] + block[c.bytes - 1], 0);
        std::memset(block, 0xab, c.bytes);
        EXPECT_EQ(block[c.bytes - 1], 0xab);
        zeroedpages::Free(block, c.bytes);
    }
    FixedArray<float, 3'200'000> samples;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(samples.data()) % zeroedpages::kHugePage, 0u);
    EXPECT_EQ(samples[3'199'999], 0.0f);
}

} // namespace
