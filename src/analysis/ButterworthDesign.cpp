#include "analysis/ButterworthDesign.h"

#include "analysis/AnalysisError.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <new>
#include <numbers>
#include <vector>

namespace {

// Complex arithmetic written out so that every rounding (and the sign of every zero) is that of
// the reference design; std::complex division uses a different algorithm.
struct Cx {
    double re;
    double im;
};

Cx Real(double x) {
    return {x, 0.0};
}
Cx Add(Cx a, Cx b) {
    return {a.re + b.re, a.im + b.im};
}
Cx Sub(Cx a, Cx b) {
    return {a.re - b.re, a.im - b.im};
}
Cx Mul(Cx a, Cx b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Cx Conj(Cx a) {
    return {a.re, -a.im};
}
Cx Neg(Cx a) {
    return {-a.re, -a.im};
}
bool IsReal(Cx a) {
    return a.im == 0.0;
}
double Abs(Cx a) {
    return std::hypot(a.re, a.im);
}

// Smith's division with a reciprocal.
Cx Div(Cx a, Cx b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        if (b.re == 0.0 && b.im == 0.0)
            return {a.re / std::fabs(b.re), a.im / std::fabs(b.re)};
        const double rat = b.im / b.re;
        const double scl = 1.0 / (b.re + b.im * rat);
        return {(a.re + a.im * rat) * scl, (a.im - a.re * rat) * scl};
    }
    const double rat = b.re / b.im;
    const double scl = 1.0 / (b.im + b.re * rat);
    return {(a.re * rat + a.im) * scl, (a.im * rat - a.re) * scl};
}

Cx Sqrt(Cx a) {
    const std::complex<double> r = std::sqrt(std::complex<double>(a.re, a.im));
    return {r.real(), r.imag()};
}

struct Zpk {
    std::vector<Cx> z;
    std::vector<Cx> p;
    double k = 1.0;
};

// Analog Butterworth prototype: order poles on the left half of the unit circle, no zeros.
Zpk Prototype(int order) {
    Zpk f;
    const double scl = 1.0 / (2.0 * order);
    for (int m = -order + 1; m < order; m += 2) {
        // exp(i pi m / (2 order)); the division by a complex 2 order is a multiplication by
        // its reciprocal.
        const double angle = (std::numbers::pi * m) * scl;
        const std::complex<double> e = std::exp(std::complex<double>(0.0, angle));
        f.p.push_back(Neg({e.real(), e.imag()}));
    }
    return f;
}

// The analog frequency of a digital one, pre-warped for the bilinear transform at fs = 2.
double Warp(double f, double fs) {
    const double wn = 2.0 * f / fs;
    return 4.0 * std::tan(std::numbers::pi * wn / 2.0);
}

void LowPassTransform(Zpk& f, double wo) {
    for (Cx& p : f.p)
        p = Mul(Real(wo), p);
    f.k = f.k * std::pow(wo, static_cast<double>(f.p.size() - f.z.size()));
}

void BandPassTransform(Zpk& f, double wo, double bw) {
    const std::size_t degree = f.p.size() - f.z.size();
    std::vector<Cx> lp(f.p.size());
    std::vector<Cx> root(f.p.size());
    for (std::size_t i = 0; i < f.p.size(); ++i) {
        lp[i] = Div(Mul(f.p[i], Real(bw)), Real(2.0));
        const Cx square = {lp[i].re * lp[i].re - lp[i].im * lp[i].im,
                           lp[i].re * lp[i].im + lp[i].im * lp[i].re};
        root[i] = Sqrt(Sub(square, Real(wo * wo)));
    }
    f.p.clear();
    for (std::size_t i = 0; i < lp.size(); ++i)
        f.p.push_back(Add(lp[i], root[i]));
    for (std::size_t i = 0; i < lp.size(); ++i)
        f.p.push_back(Sub(lp[i], root[i]));
    // The prototype has no finite zeros: each pole pair brings one zero at the origin.
    f.z.assign(degree, Cx{0.0, 0.0});
    f.k = f.k * std::pow(bw, static_cast<double>(degree));
}

void Bilinear(Zpk& f) {
    const Cx fs2 = Real(4.0);
    const std::size_t degree = f.p.size() - f.z.size();
    Cx prodZ = Real(1.0);
    for (std::size_t i = 0; i < f.z.size(); ++i) {
        const Cx d = Sub(fs2, f.z[i]);
        prodZ = i == 0 ? d : Mul(prodZ, d);
    }
    Cx prodP = Real(1.0);
    for (std::size_t i = 0; i < f.p.size(); ++i) {
        const Cx d = Sub(fs2, f.p[i]);
        prodP = i == 0 ? d : Mul(prodP, d);
    }
    for (Cx& z : f.z)
        z = Div(Add(fs2, z), Sub(fs2, z));
    for (Cx& p : f.p)
        p = Div(Add(fs2, p), Sub(fs2, p));
    // Zeros at infinity move to the Nyquist frequency.
    f.z.insert(f.z.end(), degree, Cx{-1.0, 0.0});
    f.k = f.k * Div(prodZ, prodP).re;
}

// One of each conjugate pair (positive imaginary part), ordered by real part and then by
// imaginary part, followed by the real values in ascending order.
std::vector<Cx> ComplexThenReal(std::vector<Cx> v) {
    const double tol = 100.0 * 2.220446049250313e-16;
    std::stable_sort(v.begin(), v.end(), [](Cx a, Cx b) {
        if (a.re != b.re)
            return a.re < b.re;
        return std::fabs(a.im) < std::fabs(b.im);
    });
    std::vector<Cx> real, pos, neg;
    for (Cx c : v) {
        if (std::fabs(c.im) <= tol * Abs(c))
            real.push_back({c.re, 0.0});
        else if (c.im > 0.0)
            pos.push_back(c);
        else
            neg.push_back(c);
    }
    // Runs of (nearly) equal real part are ordered by the size of the imaginary part, so that
    // the two halves of each pair line up.
    for (std::size_t start = 0; start + 1 < pos.size();) {
        std::size_t stop = start;
        while (stop + 1 < pos.size() && pos[stop + 1].re - pos[stop].re <= tol * Abs(pos[stop]))
            ++stop;
        if (stop > start) {
            const auto byImag = [](Cx a, Cx b) { return std::fabs(a.im) < std::fabs(b.im); };
            std::stable_sort(pos.begin() + start, pos.begin() + stop + 1, byImag);
            if (stop < neg.size())
                std::stable_sort(neg.begin() + start, neg.begin() + stop + 1, byImag);
        }
        start = stop + 1;
    }
    std::vector<Cx> out;
    for (std::size_t i = 0; i < pos.size(); ++i) {
        const Cx other = i < neg.size() ? Conj(neg[i]) : pos[i];
        out.push_back(Div(Add(pos[i], other), Real(2.0)));
    }
    out.insert(out.end(), real.begin(), real.end());
    return out;
}

// Index of the value closest to the unit circle; the first one on a tie.
std::size_t ClosestToUnitCircle(const std::vector<Cx>& v, const std::vector<std::size_t>& among) {
    std::size_t best = among.front();
    double bestDist = std::fabs(1.0 - Abs(v[best]));
    for (std::size_t i : among) {
        const double d = std::fabs(1.0 - Abs(v[i]));
        if (d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

std::vector<std::size_t> AllIndices(const std::vector<Cx>& v) {
    std::vector<std::size_t> idx(v.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        idx[i] = i;
    return idx;
}

enum class Kind { Any, RealOnly, ComplexOnly };

// Index of the zero nearest to `to`, among the real, complex or all zeros.
std::size_t NearestZero(const std::vector<Cx>& z, Cx to, Kind kind) {
    std::size_t best = z.size();
    double bestDist = 0.0;
    for (std::size_t i = 0; i < z.size(); ++i) {
        if ((kind == Kind::RealOnly && !IsReal(z[i])) ||
            (kind == Kind::ComplexOnly && IsReal(z[i])))
            continue;
        const double d = Abs(Sub(z[i], to));
        if (best == z.size() || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

Cx Take(std::vector<Cx>& v, std::size_t i) {
    const Cx c = v[i];
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
    return c;
}

// Coefficients of the monic polynomial with the given roots (at most two), highest power first.
std::vector<double> Poly(const std::vector<Cx>& roots) {
    if (roots.empty())
        return {1.0};
    if (roots.size() == 1)
        return {1.0, Neg(roots[0]).re};
    const Cx n0 = Neg(roots[0]);
    const Cx n1 = Neg(roots[1]);
    return {1.0, Add(Mul(Real(1.0), n1), Mul(n0, Real(1.0))).re, Mul(n0, n1).re};
}

SosSection Section(const std::vector<Cx>& z, const std::vector<Cx>& p) {
    double b[3] = {0.0, 0.0, 0.0};
    double a[3] = {0.0, 0.0, 0.0};
    const std::vector<double> pb = Poly(z);
    const std::vector<double> pa = Poly(p);
    std::copy(pb.begin(), pb.end(), b + 3 - pb.size());
    std::copy(pa.begin(), pa.end(), a + 3 - pa.size());
    // The denominator always has two roots here, so a[0] is 1.
    return {b[0], b[1], b[2], a[1], a[2]};
}

// Pairs poles with their nearest zeros into sections, the poles closest to the unit circle
// last, and puts the gain into the first section.
std::vector<SosSection> ToSections(const Zpk& f) {
    std::vector<Cx> p = f.p;
    std::vector<Cx> z = f.z;
    while (z.size() < p.size())
        z.push_back({0.0, 0.0});
    while (p.size() < z.size())
        p.push_back({0.0, 0.0});
    const std::size_t count = (p.size() + 1) / 2;
    if (p.size() % 2 == 1) {
        p.push_back({0.0, 0.0});
        z.push_back({0.0, 0.0});
    }
    z = ComplexThenReal(z);
    p = ComplexThenReal(p);

    std::vector<SosSection> sos(count);
    for (std::size_t si = count; si-- > 0;) {
        const Cx p1 = Take(p, ClosestToUnitCircle(p, AllIndices(p)));
        std::vector<std::size_t> realPoles;
        for (std::size_t i = 0; i < p.size(); ++i)
            if (IsReal(p[i]))
                realPoles.push_back(i);
        std::size_t realZeros = 0;
        for (const Cx& c : z)
            realZeros += IsReal(c) ? 1 : 0;

        if (IsReal(p1) && realPoles.empty()) {
            // The last real pole: a first-order section with the nearest real zero.
            const Cx z1 = Take(z, NearestZero(z, p1, Kind::RealOnly));
            sos[si] = Section({z1, {0.0, 0.0}}, {p1, {0.0, 0.0}});
        } else if (p.size() + 1 == z.size() && !IsReal(p1) && realPoles.size() == 1 &&
                   realZeros == 1) {
            // One real pole and one real zero left over: this pole must take a complex zero.
            const Cx z1 = Take(z, NearestZero(z, p1, Kind::ComplexOnly));
            sos[si] = Section({z1, Conj(z1)}, {p1, Conj(p1)});
        } else {
            Cx p2;
            if (IsReal(p1)) {
                p2 = Take(p, ClosestToUnitCircle(p, realPoles));
            } else {
                p2 = Conj(p1);
            }
            if (z.empty()) {
                sos[si] = Section({}, {p1, p2});
            } else {
                const Cx z1 = Take(z, NearestZero(z, p1, Kind::Any));
                if (!IsReal(z1)) {
                    sos[si] = Section({z1, Conj(z1)}, {p1, p2});
                } else if (!z.empty()) {
                    const Cx z2 = Take(z, NearestZero(z, p1, Kind::RealOnly));
                    sos[si] = Section({z1, z2}, {p1, p2});
                } else {
                    sos[si] = Section({z1}, {p1, p2});
                }
            }
        }
    }
    sos[0].b0 *= f.k;
    sos[0].b1 *= f.k;
    sos[0].b2 *= f.k;
    return sos;
}

bool ValidRate(double fs) {
    return std::isfinite(fs) && fs > 0.0;
}

} // namespace

int DesignButterworthBandPass(int order, double fs, double lo, double hi, SosFilter& filter) {
    filter.sections.clear();
    if (order <= 0)
        return kAnalysisBadOrder;
    if (!ValidRate(fs))
        return kAnalysisBadSamplingRate;
    if (!(lo > 0.0 && lo < hi && hi < fs / 2.0))
        return kAnalysisBadBand;
    try {
        const double w0 = Warp(lo, fs);
        const double w1 = Warp(hi, fs);
        Zpk f = Prototype(order);
        BandPassTransform(f, std::sqrt(w0 * w1), w1 - w0);
        Bilinear(f);
        filter.sections = ToSections(f);
    } catch (const std::bad_alloc&) {
        filter.sections.clear();
        return kAnalysisOutOfMemory;
    }
    return kAnalysisNoError;
}

int DesignButterworthLowPass(int order, double fs, double fc, SosFilter& filter) {
    filter.sections.clear();
    if (order <= 0)
        return kAnalysisBadOrder;
    if (!ValidRate(fs))
        return kAnalysisBadSamplingRate;
    if (!(fc > 0.0 && fc < fs / 2.0))
        return kAnalysisBadCutoff;
    try {
        Zpk f = Prototype(order);
        LowPassTransform(f, Warp(fc, fs));
        Bilinear(f);
        filter.sections = ToSections(f);
    } catch (const std::bad_alloc&) {
        filter.sections.clear();
        return kAnalysisOutOfMemory;
    }
    return kAnalysisNoError;
}
