#pragma once

// Least-squares polynomial fitter. Nothing reads its coefficients, so it holds nothing.
class Cpolynomial {
public:
    virtual ~Cpolynomial() = default;
};
