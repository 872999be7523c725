#include "analysis/Sections.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <utility>

namespace sections {

namespace {

constexpr double kFeetPerMile = 5280.0;
// Neighbouring results farther apart than this are not one run of a flag.
constexpr double kRunSpacing = 1.5;

std::size_t CountOf(const Profile& profile) {
    return std::min(profile.distance.size(), profile.value.size());
}

// Plain sequential sum of v[first] ... v[last - 1].
double SumOf(const std::vector<double>& v, std::size_t first, std::size_t last) {
    double sum = 0.0;
    for (std::size_t i = first; i < last; ++i)
        sum += v[i];
    return sum;
}

// The sample standard deviation of the successive differences over sqrt(2): the noise of one
// result, which a step in the mean hardly moves.
double NoiseLevel(const std::vector<double>& v, std::size_t n) {
    if (n < 3) // fewer than two differences: no spread to measure
        return 0.0;
    const std::size_t count = n - 1;
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += v[i + 1] - v[i];
    const double mean = sum / static_cast<double>(count);
    double squares = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double e = (v[i + 1] - v[i]) - mean;
        squares += e * e;
    }
    return std::sqrt(squares / static_cast<double>(count - 1)) / std::sqrt(2.0);
}

// m of the method: results per section at the 1-ft interval, never fewer than 2.
std::size_t MinimumCount(double minLength, std::size_t n) {
    if (!(minLength >= 2.0))
        return 2;
    // A length beyond the profile can only mean one section; keep it from overflowing.
    const double cap = static_cast<double>(n) + 1.0;
    return static_cast<std::size_t>(std::llround(std::min(minLength, cap)));
}

// Where Split(a, b) cuts, or 0 when [a, b) stays one section.
std::size_t SplitPoint(const std::vector<double>& v, std::size_t a, std::size_t b, std::size_t m,
                       double sigma, double t) {
    const std::size_t n = b - a;
    if (n < 2 * m || sigma == 0.0)
        return 0;
    const double mu = SumOf(v, a, b) / static_cast<double>(n);
    double z = 0.0;
    double best = -1.0;
    std::size_t bestK = 0;
    for (std::size_t k = 1; k <= n - m; ++k) {
        z += v[a + k - 1] - mu;
        if (k >= m && std::fabs(z) > best) {
            best = std::fabs(z);
            bestK = k;
        }
    }
    return best / (sigma * std::sqrt(static_cast<double>(n))) > t ? bestK : 0;
}

struct Span {
    std::size_t first; // index of the first result
    std::size_t end;   // one past the last
    double mean;
};

double MeanOf(const std::vector<double>& v, const Span& s) {
    return SumOf(v, s.first, s.end) / static_cast<double>(s.end - s.first);
}

// Joins, while any pair of neighbours differs by less than `merge` in mean, the closest pair
// (the first on ties), and looks again with the joined mean. The pairs wait in an ordered set,
// so that thousands of short sections join in n log n.
void MergeClose(const std::vector<double>& v, std::vector<Span>& spans, double merge) {
    const std::size_t count = spans.size();
    std::vector<std::size_t> next(count), previous(count);
    std::vector<double> sum(count);
    for (std::size_t i = 0; i < count; ++i) {
        next[i] = i + 1;
        previous[i] = i - 1; // wraps for the first: never read
        sum[i] = SumOf(v, spans[i].first, spans[i].end);
    }
    // The difference of span i and the one after it; NaN, which never merges, orders last.
    auto difference = [&](std::size_t i) {
        const double d = std::fabs(spans[next[i]].mean - spans[i].mean);
        return std::isnan(d) ? std::numeric_limits<double>::infinity() : d;
    };
    std::set<std::pair<double, std::size_t>> pairs; // (difference, left span)
    std::vector<double> key(count);
    auto add = [&](std::size_t i) {
        if (i < count && next[i] < count)
            pairs.emplace(key[i] = difference(i), i);
    };
    auto remove = [&](std::size_t i) {
        if (i < count && next[i] < count)
            pairs.erase({key[i], i});
    };
    for (std::size_t i = 0; i + 1 < count; ++i)
        add(i);

    std::vector<bool> joined(count, false);
    while (!pairs.empty() && pairs.begin()->first < merge) {
        const std::size_t left = pairs.begin()->second, right = next[left];
        const std::size_t before = left == 0 ? count : previous[left];
        remove(before);
        remove(left);
        remove(right);
        // The joined sum goes on from the left one's, so it is the plain sum in index order.
        for (std::size_t i = spans[right].first; i < spans[right].end; ++i)
            sum[left] += v[i];
        spans[left].end = spans[right].end;
        spans[left].mean = sum[left] / static_cast<double>(spans[left].end - spans[left].first);
        joined[right] = true;
        next[left] = next[right];
        if (next[left] < count)
            previous[next[left]] = left;
        add(before);
        add(left);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!joined[i])
            spans[kept++] = spans[i];
    spans.resize(kept);
}

// NaN sorts last, so that the sort stays well defined whatever the values.
bool Before(double a, double b) {
    return a < b || (!std::isnan(a) && std::isnan(b));
}

Section Describe(const Profile& profile, const Span& span, double k, std::vector<double>& scratch) {
    const std::vector<double>& v = profile.value;
    Section s;
    s.first = static_cast<int>(span.first);
    s.last = static_cast<int>(span.end - 1);
    s.startFt = profile.distance[span.first];
    s.endFt = profile.distance[span.end - 1];
    s.startStation = StationOf(s.startFt);
    s.endStation = StationOf(s.endFt);
    const std::size_t n = span.end - span.first;
    s.results = static_cast<int>(n);
    s.mean = MeanOf(v, span);
    if (n > 1) {
        double squares = 0.0;
        for (std::size_t i = span.first; i < span.end; ++i)
            squares += (v[i] - s.mean) * (v[i] - s.mean);
        s.sd = std::sqrt(squares / static_cast<double>(n - 1));
    }
    s.cov = s.sd / s.mean;
    s.characteristic = s.mean + k * s.sd;
    scratch.assign(v.begin() + static_cast<std::ptrdiff_t>(span.first),
                   v.begin() + static_cast<std::ptrdiff_t>(span.end));
    std::sort(scratch.begin(), scratch.end(), Before);
    s.p90 = Percentile(scratch, 90.0);
    s.p95 = Percentile(scratch, 95.0);
    s.min = scratch.front();
    s.max = scratch.back();
    return s;
}

// The span of a flag and its figures.
Flag DescribeFlag(const Profile& profile, std::size_t first, std::size_t last) {
    const std::vector<double>& v = profile.value;
    Flag f;
    f.first = static_cast<int>(first);
    f.last = static_cast<int>(last);
    f.startFt = profile.distance[first];
    f.endFt = profile.distance[last];
    f.startStation = StationOf(f.startFt);
    f.endStation = StationOf(f.endFt);
    f.results = static_cast<int>(last - first + 1);
    std::size_t peak = first;
    for (std::size_t i = first + 1; i <= last; ++i)
        if (v[i] > v[peak])
            peak = i;
    f.peak = v[peak];
    f.peakFt = profile.distance[peak];
    f.mean = SumOf(v, first, last + 1) / static_cast<double>(f.results);
    return f;
}

} // namespace

// The value at position (n - 1) * q / 100 of the sorted values, linearly interpolated.
double Percentile(const std::vector<double>& sorted, double q) {
    const double position = static_cast<double>(sorted.size() - 1) * q / 100.0;
    const std::size_t below = static_cast<std::size_t>(position);
    if (below + 1 >= sorted.size())
        return sorted[below];
    const double fraction = position - static_cast<double>(below);
    return sorted[below] + fraction * (sorted[below + 1] - sorted[below]);
}

std::string StationOf(double feet) {
    char text[64];
    const double miles = std::trunc(feet / kFeetPerMile);
    // Below a mile, and distances no int of miles can hold (NaN among them), in plain feet.
    if (!(feet >= kFeetPerMile) || !(miles <= std::numeric_limits<int>::max())) {
        std::snprintf(text, sizeof text, "%.1f", feet);
        return text;
    }
    const int m = static_cast<int>(miles);
    std::snprintf(text, sizeof text, "%d+%.1f", m, feet - kFeetPerMile * m);
    return text;
}

std::vector<Section> FindSections(const Profile& profile, const SectionParameters& parameters) {
    const std::size_t n = CountOf(profile);
    const std::vector<double>& v = profile.value;
    std::vector<Section> result;
    if (n == 0)
        return result;

    const std::size_t m = MinimumCount(parameters.minLength, n);
    const double sigma = NoiseLevel(v, n);
    const double t = std::sqrt(-0.5 * std::log(parameters.alpha / 2.0));

    // Split(a, b) with a stack of its own rather than recursion: with short sections the
    // depth could reach thousands. The left part goes first, so spans come out in order.
    std::vector<Span> spans;
    std::vector<std::pair<std::size_t, std::size_t>> pending{{0, n}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        const std::size_t k = SplitPoint(v, a, b, m, sigma, t);
        if (k == 0) {
            spans.push_back({a, b, 0.0});
            continue;
        }
        pending.emplace_back(a + k, b);
        pending.emplace_back(a, a + k);
    }

    if (parameters.merge > 0.0 && spans.size() >= 2) {
        for (Span& s : spans)
            s.mean = MeanOf(v, s);
        MergeClose(v, spans, parameters.merge);
    }

    result.reserve(spans.size());
    std::vector<double> scratch;
    for (const Span& s : spans)
        result.push_back(Describe(profile, s, parameters.k, scratch));
    return result;
}

std::vector<Flag> FindFlags(const Profile& profile, const std::vector<Section>& sections,
                            const FlagParameters& parameters) {
    const std::size_t n = CountOf(profile);
    const std::vector<double>& v = profile.value;
    const std::vector<double>& d = profile.distance;

    // The limit of each result: the threshold, or its section's characteristic value. A result
    // outside every section has no limit to exceed.
    std::vector<double> limit(n, std::numeric_limits<double>::infinity());
    if (parameters.threshold) {
        std::fill(limit.begin(), limit.end(), *parameters.threshold);
    } else {
        for (const Section& s : sections) {
            const std::size_t first = static_cast<std::size_t>(std::max(s.first, 0));
            const std::size_t end = std::min(static_cast<std::size_t>(std::max(s.last + 1, 0)), n);
            for (std::size_t i = first; i < end; ++i)
                limit[i] = s.characteristic;
        }
    }

    // Runs, each joined to the flag before it when it begins within `gap` of its end.
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < n;) {
        if (!(v[i] > limit[i])) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        while (i + 1 < n && v[i + 1] > limit[i + 1] && d[i + 1] - d[i] <= kRunSpacing)
            ++i;
        const std::size_t last = i++;
        if (!spans.empty() && d[first] - d[spans.back().second] <= parameters.gap)
            spans.back().second = last;
        else
            spans.emplace_back(first, last);
    }

    std::vector<Flag> flags;
    for (const auto& [first, last] : spans) {
        if (static_cast<double>(last - first + 1) < parameters.minFlag)
            continue;
        flags.push_back(DescribeFlag(profile, first, last));
        flags.back().number = static_cast<int>(flags.size());
    }
    return flags;
}

Result Analyse(const Profile& profile, const Parameters& parameters) {
    Result result;
    result.sections = FindSections(profile, parameters.section);
    result.flags = FindFlags(profile, result.sections, parameters.flag);
    return result;
}

} // namespace sections
