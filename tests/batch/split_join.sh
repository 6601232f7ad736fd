#!/usr/bin/env bash
# The README's "More files than one machine" on one machine: the file list split in
# three parts, each part a batch of its own output folder (run side by side), the
# summaries joined with the header once, must equal one batch of the whole list
# (wall times aside).
#   split_join.sh QUILLON_BATCH SOURCE_DIR SCRATCH_DIR
set -euo pipefail
batch=$1 source=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/screen/plate 1" "$scratch/screen/plate 2"
cd "$scratch"
for plate in "plate 1" "plate 2"; do
  cp "$source"/examples/*.dat "screen/$plate/"
done
cp "$source/tests/batch/data/unknown_model.dat" "screen/plate 2/"

# As in the README.
find screen -name '*.dat' | sort >files.txt
split -n l/3 -d files.txt part.
for part in part.*; do
  (mapfile -t files <"$part" && "$batch" -q -j 1 -o "results.$part" "${files[@]}") &
done
wait || true
{
  head -n 1 results.part.00/summary.csv
  for summary in results.part.*/summary.csv; do tail -n +2 "$summary"; done
} >summary.csv

mapfile -t all <files.txt
status=0
"$batch" -q -o results.all "${all[@]}" || status=$?
[ "$status" = 1 ] || { echo "one batch of the whole list: exit status $status, expected 1" >&2; exit 1; }
[ "$(wc -l <files.txt)" = 13 ] || { echo "expected 13 files, listed $(wc -l <files.txt)" >&2; exit 1; }
if ! cmp <("$source/scripts/csv-without-seconds" <summary.csv) \
  <("$source/scripts/csv-without-seconds" <results.all/summary.csv); then
  echo "the joined summary differs from one batch's summary" >&2
  exit 1
fi
echo "split_join: 3 parts joined equal one batch of 13 files"
