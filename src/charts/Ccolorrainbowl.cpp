#include "charts/Ccolorrainbowl.h"

#include "charts/Canvas.h"

#include <algorithm>

int Ccolorrainbowl::Build() {
    int n = 0;
    if (scheme == kGrey) {
        n = 256;
        for (int i = 0; i < n; ++i)
            master[i] = Rgb(255 - i, 255 - i, 255 - i);
    } else if (scheme == kRainbow) {
        n = 1280;
        for (int i = 0; i < 256; ++i) {
            master[i] = Rgb(0, i, 255);
            master[256 + i] = Rgb(0, 255, 255 - i);
            master[512 + i] = Rgb(i, 255, 0);
            master[768 + i] = Rgb(255, 255 - i, 0);
            master[1024 + i] = Rgb(255, 0, i);
        }
    }
    colourCount = static_cast<std::int16_t>(n);
    std::copy(master.begin(), master.begin() + n, working.begin());
    upper = static_cast<std::int16_t>(std::max(n - 1, 0));
    lower = 0;
    return 0;
}

void Ccolorrainbowl::RebuildWorking() {
    const int n = colourCount;
    if (n < 1)
        return;
    auto pick = [&](double index) {
        const int i = index <= 0.0 ? 0 : index >= n - 1 ? n - 1 : static_cast<int>(index);
        return master[i];
    };
    const int lo = lower;
    const int hi = upper;
    for (int k = 0; k < n; ++k) {
        if (k < lo)
            working[k] = master[0];
        else if (k < n / 2)
            // lo < n / 2 here, so the divisor is positive.
            working[k] = pick(static_cast<double>(n) * (k - lo) / (n - 2 * lo));
        else if (k < hi)
            // hi > n / 2 here.
            working[k] =
                pick(static_cast<double>(n) * (2 * k - n) / (2.0 * (2 * hi - n)) + n / 2 - 1);
        else
            working[k] = master[n - 1];
    }
}
