#!/usr/bin/python3
"""Writes the golden vectors of the Butterworth filter tests to tests/data/filter_golden/.

Run with a Python that has numpy and scipy (written against scipy 1.10):
    /usr/bin/python3 tools/golden/make_filter_vectors.py

Files:
  input.txt   the test signal, one value per line
  cases.txt   the case file names, one per line
  <case>.txt  line 1: kind order fs f1 f2   (kind bandpass or lowpass; f2 is 0 for a low-pass)
              line 2: number of sections, then one line per section: b0 b1 b2 a0 a1 a2
              then: count stride, then count values y[0], y[stride], y[2 stride], ...
              where y = sosfilt(sos, input), one causal pass from zero state.
Every number is written with %.17g, so it reads back exactly.
"""
import os
import sys

import numpy as np
from scipy import signal

FS = 1000.0
N = 2000
STRIDE = 4  # the filter runs over every sample; a quarter of them is enough to compare

BAND_ORDERS = range(1, 11)
BANDS = [(29.0, 31.0), (25.0, 35.0), (10.0, 60.0), (3.0, 120.0)]
EXTRA_BANDPASS = [(9, 28.0, 32.0), (9, 20.0, 40.0), (4, 15.0, 45.0), (3, 1.0, 499.0)]
LOWPASS = [(5, 5.0), (1, 5.0), (2, 5.0), (3, 40.0), (8, 200.0), (10, 5.0), (4, 250.0)]


def make_input():
    rng = np.random.default_rng(20240611)
    t = np.arange(N) / FS
    x = (0.5
         + 3.0 * np.sin(2 * np.pi * 30.0 * t)
         + 1.5 * np.sin(2 * np.pi * 7.3 * t + 0.4)
         + 0.8 * np.sin(2 * np.pi * 95.0 * t + 1.1)
         + 2.0 * np.sin(2 * np.pi * 2.0 * t)
         + 0.3 * rng.standard_normal(N))
    return x


def fmt(v):
    return '%.17g' % v


def write_case(out_dir, name, kind, order, f1, f2, sos, y):
    lines = ['%s %d %s %s %s' % (kind, order, fmt(FS), fmt(f1), fmt(f2)), str(len(sos))]
    lines += [' '.join(fmt(c) for c in row) for row in sos]
    picked = y[::STRIDE]
    lines.append('%d %d' % (len(picked), STRIDE))
    lines += [fmt(v) for v in picked]
    with open(os.path.join(out_dir, name), 'w') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out_dir = os.path.join(root, 'tests', 'data', 'filter_golden')
    os.makedirs(out_dir, exist_ok=True)
    x = make_input()
    with open(os.path.join(out_dir, 'input.txt'), 'w') as f:
        f.write('\n'.join(fmt(v) for v in x) + '\n')

    names = []
    cases = [(o, lo, hi) for (lo, hi) in BANDS for o in BAND_ORDERS] + EXTRA_BANDPASS
    for order, lo, hi in cases:
        sos = signal.butter(order, [lo, hi], 'bandpass', fs=FS, output='sos')
        y = signal.sosfilt(sos, x)
        name = 'bp_o%d_%g-%g.txt' % (order, lo, hi)
        write_case(out_dir, name, 'bandpass', order, lo, hi, sos, y)
        names.append(name)
    for order, fc in LOWPASS:
        sos = signal.butter(order, fc, 'lowpass', fs=FS, output='sos')
        y = signal.sosfilt(sos, x)
        name = 'lp_o%d_%g.txt' % (order, fc)
        write_case(out_dir, name, 'lowpass', order, fc, 0.0, sos, y)
        names.append(name)
    with open(os.path.join(out_dir, 'cases.txt'), 'w') as f:
        f.write('\n'.join(names) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
