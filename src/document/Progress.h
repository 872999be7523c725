#pragma once

#include <functional>

// Reports how much of a long operation is done: `done` of `total` steps (segments, groups).
using ProgressCallback = std::function<void(long long done, long long total)>;
