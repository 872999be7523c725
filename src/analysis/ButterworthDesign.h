#pragma once

#include "analysis/SosFilter.h"

// Digital Butterworth filters as cascades of second-order sections: analog prototype poles,
// frequency transform, bilinear transform with pre-warping, then poles paired with their
// nearest zeros into sections, the sections ordered with the poles closest to the unit circle
// last and the overall gain in the first section. The arithmetic follows the usual
// scientific-Python design step by step, so the sections agree with it to round-off.
//
// Each returns 0, or a negative analysis code (AnalysisError.h) and leaves filter empty.

// Band-pass of the given order between lo and hi (Hz) at sampling rate fs: 2 * order poles
// in order sections. Requires 0 < lo < hi < fs / 2.
int DesignButterworthBandPass(int order, double fs, double lo, double hi, SosFilter& filter);

// Low-pass of the given order with cut-off fc (Hz) at sampling rate fs: (order + 1) / 2
// sections, one of them first-order when the order is odd. Requires 0 < fc < fs / 2.
int DesignButterworthLowPass(int order, double fs, double fc, SosFilter& filter);
