#pragma once

#include <cmath>

// A sine oscillator advanced by rotation, one sample at a time: a multiply-add per sample
// instead of a call to sin. Renormalize() now and then keeps the amplitude at 1.
class Phasor {
public:
    Phasor(double cyclesPerSample, double phase)
        : cos_(std::cos(phase)), sin_(std::sin(phase)),
          stepCos_(std::cos(6.283185307179586 * cyclesPerSample)),
          stepSin_(std::sin(6.283185307179586 * cyclesPerSample)) {}

    double Sin() const { return sin_; }
    double Cos() const { return cos_; }
    void Advance() {
        const double c = cos_ * stepCos_ - sin_ * stepSin_;
        sin_ = sin_ * stepCos_ + cos_ * stepSin_;
        cos_ = c;
    }
    void Renormalize() {
        const double scale = 1.0 / std::sqrt(cos_ * cos_ + sin_ * sin_);
        cos_ *= scale;
        sin_ *= scale;
    }

private:
    double cos_, sin_;
    double stepCos_, stepSin_;
};
