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
mkdir -p "$corpus"/{RawFile,GpsFile,ImageFile,GprFile,SettingsFile}
for n in a b; do
    cp "$work/$n.KVT" "$corpus/RawFile/$n.KVT"
    cp "$work/$n.IMG" "$corpus/ImageFile/$n.IMG"
    # The header block and eight scans are enough to reach every branch of the reader.
    head -c $((9 * 2048)) "$work/$n.DAT" > "$corpus/GprFile/$n.DAT"
done
for n in a b c; do cp "$work/$n.GPS" "$corpus/GpsFile/$n.GPS"; done
cp "$work/Vorlixcontrol.dat" "$corpus/SettingsFile/Vorlixcontrol.dat"
head -c 600 "$work/Vorlixcontrol.dat" > "$corpus/SettingsFile/short.dat"
du -sh "$corpus"
