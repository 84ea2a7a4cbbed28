#!/usr/bin/env bash
# The recogniser's own documents, corrected through the real dialog and written back: the
# station runs under Wine on each committed document with typed answers (--answers) and OK
# for every word; each document it writes validates against its format's schema, and its
# canonical form (xmllint --c14n) differs from the input's only in the verified words
# (compare-documents.py). A corrected plain hOCR then becomes a searchable PDF through
# OCRmyPDF's hOCR renderer, whose text (pdftotext) holds the corrections, not the old words.
# usage: formats-test.sh STATION WORK-FOLDER SOURCE-FOLDER PYTHON
set -euo pipefail
station="$1"
work="$2"
root="$3"
python="$4" # Debian's, which has ocrmypdf
data="$root/tests/station/data"
rm -rf "$work"
mkdir -p "$work"

fail() {
  echo "formats: $*" >&2
  exit 1
}

windows_path() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}

corrections=0
# verify NAME FORMAT IMAGE DOCUMENT SCHEMA CORRECTED [ANSWERS]: CORRECTED words must come back
# changed.
verify() {
  local name="$1" format="$2" image="$3" document="$4" schema="$5" corrected="$6" answers="${7:-$data/answers.tsv}"
  local out="$work/$name" written
  written="$out/verified.$([ "$format" = hocr ] && echo hocr || echo xml)"
  "$root/scripts/wine-run" "$station" --image "$(windows_path "$image")" --ocr "$(windows_path "$document")" \
    --answers "$(windows_path "$answers")" --below 90 --audit 0 --press ok --out "$(windows_path "$out")" >"$out.log" 2>&1 ||
    fail "$name: the station failed: $(cat "$out.log")"
  grep -q "ok ($corrected corrected, .*session complete" "$out.log" || fail "$name: not $corrected corrections: $(cat "$out.log")"
  if [ -n "$schema" ]; then
    xmllint --nonet --noout --schema "$data/schemas/$schema" "$document" "$written" 2>"$out.schema" ||
      fail "$name: not valid against $schema: $(cat "$out.schema")"
  fi
  # hOCR names an XHTML DTD that is not fetched: its warning is not a failure.
  xmllint --nonet --c14n "$document" >"$out.input.c14n" 2>/dev/null || fail "$name: input not canonicalised"
  xmllint --nonet --c14n "$written" >"$out.output.c14n" 2>/dev/null || fail "$name: output not canonicalised"
  "$python" "$root/tests/station/compare-documents.py" "$format" "$out.input.c14n" "$out.output.c14n" \
    "$out/session.json" >"$out.compared" || fail "$name: more changed than the verified words"
  corrections=$((corrections + corrected))
}

verify scan-alto alto "$data/scans/8087_054.3B.tif" "$data/scans/8087_054.3B.alto.xml" alto-3-1.xsd 5
verify alto4 alto "$data/page.png" "$data/page.alto4.xml" alto-4-4.xsd 1
# ALTO 2.0's String has no CS: the corrected document must still validate.
verify alto2 alto "$data/page.png" "$data/page.alto2.xml" alto-2-0.xsd 3
verify page2013 page "$data/page.png" "$data/page.2013.xml" pagecontent-2013-07-15.xsd 2
verify page2019 page "$data/page.png" "$data/page.2019.xml" pagecontent-2019-07-15.xsd 3
verify hocr hocr "$data/page.png" "$data/page.hocr" "" 3
verify plain-hocr hocr "$data/page.png" "$data/page.plain.hocr" "" 3
# Another engine's hOCR: no ocrx_cinfo, no x_wconf, per-character x_confs (0 to 1) that go
# with the old text. Only "“based", whose least sure character is 0.89, is below 90 and shown.
verify kraken-hocr hocr "$data/page.png" "$data/page.kraken.hocr" "" 1
# Words without text, one of them an empty element (<span .../>), typed into.
sed -e "s|x_wconf 86'>jese</span>|x_wconf 86'/>|" -e "s|x_wconf 70'>determine</span>|x_wconf 70'></span>|" \
  "$data/page.plain.hocr" >"$work/page.empty-words.hocr"
printf '\tThese\n' >"$work/empty-words.tsv"
verify empty-words hocr "$data/page.png" "$work/page.empty-words.hocr" "" 2 "$work/empty-words.tsv"
grep -q "'TRAVEL&LEISURE' -> 'TRAVEL & LEISURE'" "$work/scan-alto.compared" || fail "the split word was not found"

# The searchable PDF: the page at its 72 dpi with the corrected text behind it.
"$python" -W ignore -m ocrmypdf.hocrtransform -r 72 -i "$data/page.png" "$work/plain-hocr/verified.hocr" \
  "$work/page.pdf" 2>"$work/pdf.log" || fail "OCRmyPDF's renderer failed: $(cat "$work/pdf.log")"
pdftotext "$work/page.pdf" "$work/page.txt" || fail "pdftotext failed"
for found in "Region-based segmentation" "These markers are pixels" "as either object"; do
  grep -qF "$found" "$work/page.txt" || fail "the PDF's text lacks \"$found\": $(cat "$work/page.txt")"
done
for gone in "jese" "“based" "“either"; do
  ! grep -qF "$gone" "$work/page.txt" || fail "the PDF's text still has \"$gone\""
done
echo "formats: ok (9 documents, $corrections corrections, the PDF's text corrected)"
