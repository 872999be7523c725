#pragma once

#include <cstddef>

// Zero-filled memory that is committed only when touched. Blocks of 2 MB or more are mapped on
// a 2 MB boundary and advised for transparent huge pages; where the system has none the advice
// fails and ordinary pages serve, silently.
namespace zeroedpages {

inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The advice given to a large block; returns 0 when it was taken. Replaceable for tests.
using AdviseFn = int (*)(void* address, std::size_t bytes);
int AdviseHugePages(void* address, std::size_t bytes);

void* Allocate(std::size_t bytes, AdviseFn advise = &AdviseHugePages);
void Free(void* block, std::size_t bytes);

} // namespace zeroedpages
