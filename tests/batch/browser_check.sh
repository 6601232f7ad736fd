#!/usr/bin/env bash
# index.html as a browser renders it: headless Chromium opens the page of a batch of
# the examples and one bad file (with the model comparison) from the file system; the
# rendered DOM must hold one summary row per input file and two pictures per fitted
# file (its plot and its comparison), the browser must report no console error, and
# the screenshot is kept as an artefact.
#   browser_check.sh QUILLON_BATCH SOURCE_DIR SCRATCH_DIR
# Exits 77 (skipped) when Chromium is not installed.
set -euo pipefail
batch=$1 source=$2 scratch=$3
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "browser_check: chromium is not installed: skipped"
  exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch/examples"
cp "$source"/examples/*.dat "$source/tests/batch/data/unknown_model.dat" "$scratch/examples/"
cd "$scratch"
status=0
"$batch" -q --compare -o out examples || status=$?
[ "$status" = 1 ] || { echo "browser_check: batch exit status $status, expected 1" >&2; exit 1; }

page="file://$scratch/out/index.html"
flags=(--headless --no-sandbox --disable-gpu --hide-scrollbars --enable-logging=stderr --v=0)
timeout 120 "$browser" "${flags[@]}" --dump-dom "$page" >dom.html 2>dom.log
timeout 120 "$browser" "${flags[@]}" --window-size=1280,2400 --screenshot="$scratch/index.png" \
  "$page" >/dev/null 2>shot.log

problems=()
rows=$(grep -o '<tr class="\(fitted\|rejected\)"' dom.html | wc -l)
[ "$rows" = 7 ] || problems+=("$rows summary rows, expected 7")
sections=$(grep -o '<section class="fit"' dom.html | wc -l)
[ "$sections" = 6 ] || problems+=("$sections fitted sections, expected 6")
pictures=$(grep -o '<svg' dom.html | wc -l)
[ "$pictures" = 12 ] || problems+=("$pictures rendered pictures, expected 12")
if grep -h 'CONSOLE' dom.log shot.log | grep -q .; then
  problems+=("console messages: $(grep -h 'CONSOLE' dom.log shot.log | head -n 3)")
fi
[ -s index.png ] || problems+=("no screenshot")
# The plots' rendered width in a 1280 px window: a page beside the results measures it.
cat >measure.html <<'HTML'
<!DOCTYPE html><html><body style="margin:0">
<iframe id="f" src="out/index.html" style="width:1280px;height:1000px;border:0"></iframe>
<script>
document.getElementById('f').onload = function () {
  var svg = this.contentDocument.querySelector('.plot svg');
  var width = svg ? Math.round(svg.getBoundingClientRect().width) : 0;
  document.body.setAttribute('data-plot-width', String(width));
};
</script></body></html>
HTML
timeout 120 "$browser" "${flags[@]}" --allow-file-access-from-files --virtual-time-budget=5000 \
  --dump-dom "file://$scratch/measure.html" >measure.dom 2>measure.log || true
width=$(grep -o 'data-plot-width="[0-9]*"' measure.dom | grep -o '[0-9]*' || true)
[ "${width:-0}" -ge 700 ] || problems+=("the plots are ${width:-not} px wide at 1280 px, fewer than 700")
if [ "${#problems[@]}" -gt 0 ]; then
  printf 'browser_check: %s\n' "${problems[@]}" >&2
  exit 1
fi
echo "browser_check: 7 rows, 12 pictures ${width} px wide, no console message; screenshot $scratch/index.png"
