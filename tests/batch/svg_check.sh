#!/usr/bin/env bash
# Every example gets a picture, and with --compare a comparison picture, that parse as
# XML; the pictures are the same bytes at one and at two jobs.
#   svg_check.sh QUILLON_BATCH SOURCE_DIR SCRATCH_DIR
set -euo pipefail
batch=$1 source=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
"$batch" -q --compare -j 1 -o one "$source/examples"
"$batch" -q --compare -j 2 -o two "$source/examples"
status=0
for data in "$source"/examples/*.dat; do
  stem=$(basename "$data" .dat)
  for picture in "$stem.svg" "$stem.compare.svg"; do
    if ! /usr/bin/xmllint --noout "one/$picture"; then
      echo "svg_check: one/$picture is missing or not XML" >&2
      status=1
    elif ! cmp -s "one/$picture" "two/$picture"; then
      echo "svg_check: $picture differs between one and two jobs" >&2
      status=1
    fi
  done
done
exit $status
