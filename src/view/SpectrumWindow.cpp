#include "view/SpectrumWindow.h"

#include <algorithm>

namespace spectrumwindow {
namespace {

// Cuts the window to the segment and gives it an even number of intervals; a window that
// ends up shorter than the minimum falls back to the first one.
SpectrumWindow Settle(SpectrumWindow w, int n) {
    if (w.end >= n)
        w.end = n - 1;
    if ((w.end - w.start) % 2 != 0) {
        // Lowering the start would leave the segment; the end gives way instead.
        if (w.start > 0)
            --w.start;
        else
            --w.end;
    }
    if (w.end - w.start < kMinimumPoints)
        return First(n);
    return w;
}

} // namespace

SpectrumWindow First(int n) {
    SpectrumWindow w{0, std::min(kStep, std::max(n - 1, 0))};
    if (w.end % 2 != 0)
        --w.end;
    return w;
}

SpectrumWindow Previous(SpectrumWindow window, int n) {
    if (window.start - kStep < 0)
        return Settle(SpectrumWindow{0, kStep}, n);
    return Settle(SpectrumWindow{window.start - kStep, window.start}, n);
}

SpectrumWindow Next(SpectrumWindow window, int n) {
    if (window.start + kStep > n - 1)
        return Settle(SpectrumWindow{0, kStep}, n);
    return Settle(SpectrumWindow{window.start + kStep, window.start + 2 * kStep}, n);
}

} // namespace spectrumwindow
