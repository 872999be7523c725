#!/bin/bash
# Remakes the fuzz harnesses' seed corpora (tests/fuzz/corpus/<harness>/) with the generator:
#   tests/fuzz/make_seeds.sh build/tools/vorlix-synth
set -euo pipefail
synth=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$synth" "$work/a" --groups 8 --channels 2 --pictures 2 --seed 1 >/dev/null
"$synth" "$work/b" --groups 3 --channels 5 --pictures 3 --seed 2 --gpr pulse --stops >/dev/null
"$synth" "$work/c" --groups 40 --channels 4 --pictures 1 --seed 3 --start-ft 5000 >/dev/null
corpus=$here/corpus
rm -rf "$corpus"
mkdir -p "$corpus"/{RawFile,GpsFile,ImageFile,GprFile,SettingsFile,SectionsSettings}
for n in a b; do
    cp "$work/$n.KVT" "$corpus/RawFile/$n.KVT"
    cp "$work/$n.IMG" "$corpus/ImageFile/$n.IMG"
    # The header block and eight scans are enough to reach every branch of the reader.
    head -c $((9 * 2048)) "$work/$n.DAT" > "$corpus/GprFile/$n.DAT"
done
for n in a b c; do cp "$work/$n.GPS" "$corpus/GpsFile/$n.GPS"; done
cp "$work/Vorlixcontrol.dat" "$corpus/SettingsFile/Vorlixcontrol.dat"
head -c 600 "$work/Vorlixcontrol.dat" > "$corpus/SettingsFile/short.dat"
printf 'min_length = 500\nalpha = 0.05\nk = 2\nmerge = 0\nthreshold =\ngap = 5\nmin_flag = 3\n' \
    > "$corpus/SectionsSettings/defaults.ini"
printf '# road 12\nmin_length = 250\nalpha = 0.01\nk = 1.64\nmerge = 0.2\nthreshold = 6.5\ngap = 10\nmin_flag = 5\nclass_limits = 4, 5.5, 7\nsurveyor = J. Smith\n' \
    > "$corpus/SectionsSettings/custom.ini"
du -sh "$corpus"
