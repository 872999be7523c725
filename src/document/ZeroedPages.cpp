#include "document/ZeroedPages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace zeroedpages {
namespace {

std::size_t MappedBytes(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

int AdviseHugePages(void* address, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    return madvise(address, bytes, MADV_HUGEPAGE);
#else
    (void)address;
    (void)bytes;
    return -1;
#endif
}

void* Allocate(std::size_t bytes, AdviseFn advise) {
    if (bytes < kHugePage)
        return std::calloc(bytes == 0 ? 1 : bytes, 1);
    // Map one huge page more than needed, then give back what lies before the first 2 MB
    // boundary and after the block.
    const std::size_t mapped = MappedBytes(bytes);
    void* raw = mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        munmap(raw, aligned - start);
    const std::size_t tail = (start + mapped + kHugePage) - (aligned + mapped);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + mapped), tail);
    void* block = reinterpret_cast<void*>(aligned);
    if (advise)
        advise(block, mapped); // without huge pages the block still works with small ones
    return block;
}

void Free(void* block, std::size_t bytes) {
    if (!block)
        return;
    if (bytes < kHugePage)
        std::free(block);
    else
        munmap(block, MappedBytes(bytes));
}

} // namespace zeroedpages
