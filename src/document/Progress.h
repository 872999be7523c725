#pragma once

#include <functional>

// Reports how much of a long operation is done: `done` of `total` steps (segments, groups).
using ProgressCallback = std::function<void(long long done, long long total)>;

// Asked between the steps of a long operation: true once the user cancelled it. A cancelled
// export stops before its next step and replaces no file.
using CancelCheck = std::function<bool()>;

inline constexpr const char* kCancelledMessage = "Cancelled: no file was replaced.";
