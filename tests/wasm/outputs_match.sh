#!/usr/bin/env bash
# The WebAssembly batch program under Node gives the native program's outputs byte for
# byte: every example and test data file, with the options that reach every output
# (comparison, PDF and diagnostic pictures, weights, other models, tables, global fits,
# one's own equation, converted tables). Only summary.csv's wall times may differ.
#   outputs_match.sh NATIVE_BATCH WASM_BATCH_JS SOURCE_DIR SCRATCH_DIR
# Exits 77 (skipped) when Node or the WebAssembly build is missing.
set -euo pipefail
native=$(realpath "$1") wasm=$(realpath "$2") source=$(realpath "$3") scratch=$4
node=$(command -v node || command -v nodejs || true)
if [ -z "$node" ] || [ ! -f "$wasm" ]; then
  echo "outputs_match: ${node:+no $wasm (cmake --workflow --preset wasm)}${node:-node is not installed}: skipped"
  exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
# The inputs under short relative names, as the outputs quote them.
mkdir in
cp -r "$source/examples" in/examples
cp -r "$source/tests/batch/data" in/batch
cp -r "$source/tests/analysis/data" in/analysis
cp "$source/bench/data/"*.dat in/
find "$source/tests/e2e" -name '*.dat' -exec cp {} in/examples/ \; 2>/dev/null || true
cp "$source/tests/report/data/"*.dat in/analysis/
cp -r "$source/fuzz/corpus" in/fuzz

b=in/batch g=in/batch/global
runs=(
  "--compare --pdf --diagnostic in/examples in/batch/unknown_model.dat"
  "--compare -r in/analysis in/mixed_inhibition_1004.dat"
  "--compare -r --to-dat @/dat $b/tables"
  "--compare --weight 1/y2 $b/weights"
  "--weight 1/y --x-unit mM --y-unit umol/min $b/weights/mm_decades.csv"
  "--compare --model 4pl --diagnostic $b/models/dose_falling.csv"
  "--compare --model substrate-inhibition $b/models/substrate_inhibition.csv"
  "--compare --model tight-binding --enzyme 5 $b/models/tight_binding.csv"
  "--enzyme 0.05 --substrate 10 --km 2 $b/tables/mm.csv $b/tables/hill_falling.csv"
  "--pdf --global --share Km $g/treated.dat $g/untreated.dat"
  "--weight 1/y2 --global --share Km $g/puromycin_sets.csv"
  "--equation Y=Vmax*X1/(X1+Km) --params Km,Vmax --start Km=1,Vmax=10 --lower Km=0.01,Vmax=0.1 --upper Km=100,Vmax=1000 $b/tables/mm.csv"
  "--strict in/examples/tables"
  "--compare in/fuzz/data_import in/fuzz/table"
)
failures=0
for k in "${!runs[@]}"; do
  read -r -a args <<<"${runs[$k]}"
  native_status=0 wasm_status=0
  "$native" -q -j 1 -o "native$k" "${args[@]//@/native$k}" >"native$k.out" 2>"native$k.err" ||
    native_status=$?
  "$node" "$wasm" -q -o "wasm$k" "${args[@]//@/wasm$k}" >"wasm$k.out" 2>"wasm$k.err" ||
    wasm_status=$?
  problems=()
  [ "$native_status" = "$wasm_status" ] ||
    problems+=("exit status $wasm_status, native $native_status")
  cmp -s "native$k.err" "wasm$k.err" || problems+=("error streams differ")
  [ -d "native$k" ] || problems+=("no native outputs")
  if [ -f "native$k/summary.csv" ]; then
    cmp -s <("$source/scripts/csv-without-seconds" "native$k/summary.csv") \
      <("$source/scripts/csv-without-seconds" "wasm$k/summary.csv") ||
      problems+=("summary.csv differs")
  fi
  if ! diff -rq -x summary.csv "native$k" "wasm$k" >"diff$k.txt"; then
    problems+=("$(wc -l <"diff$k.txt") outputs differ: $(head -n 2 "diff$k.txt" | tr '\n' ' ')")
  fi
  files=$(find "native$k" -type f | wc -l)
  if [ "${#problems[@]}" -gt 0 ]; then
    printf 'outputs_match: run %d (%s): %s\n' "$k" "${runs[$k]}" "${problems[*]}" >&2
    failures=$((failures + 1))
  else
    echo "outputs_match: run $k: $files outputs equal (status $native_status): ${runs[$k]}"
  fi
done
exit $((failures > 0))
