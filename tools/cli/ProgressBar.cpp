#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kBarWidth = 40;

} // namespace

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(long long done, long long total) {
    if (!enabled_)
        return;
    const int permille =
        total > 0 ? static_cast<int>(1000 * (done < total ? (done < 0 ? 0 : done) : total) / total)
                  : 1000;
    if (permille == lastPermille_)
        return;
    lastPermille_ = permille;
    char bar[kBarWidth + 1];
    const int filled = permille * kBarWidth / 1000;
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3d.%d%% (%lld/%lld)", label_.c_str(), bar, permille / 10,
                 permille % 10, done, total);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Finish() {
    if (!drawn_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
    lastPermille_ = -1;
}

ProgressCallback ProgressBar::Callback() {
    return [this](long long done, long long total) { Update(done, total); };
}
