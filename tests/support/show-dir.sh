#!/usr/bin/env bash
# Makes a folder to run the show from: config.txt and data/ as in the repository (the asset folders
# linked, or copied with --copy for a test that changes them) and, as the music, a tone of the given
# length, whose end ends the show.
# Usage: tests/support/show-dir.sh <folder> <seconds> [--copy]
set -euo pipefail
folder=$1 seconds=$2 root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$folder/data"
cp "$root/config.txt" "$folder/config.txt"
for sub in shaders images models; do
    if [ "${3:-}" = --copy ]; then cp -r "$root/data/$sub" "$folder/data/"; else ln -s "$root/data/$sub" "$folder/data/$sub"; fi
done
sox -q -n -r 44100 -c 2 "$folder/tone.wav" synth "$seconds" sine 440 vol 0.2
lame --quiet -b 128 "$folder/tone.wav" "$folder/data/velmora.mp3"
rm "$folder/tone.wav"
