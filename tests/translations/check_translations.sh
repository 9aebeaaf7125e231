#!/usr/bin/env bash
# Every text the program marks for translation has a finished translation in each .ts, and
# no .ts keeps a text the program no longer has. lupdate reads the sources into a copy of
# each .ts, exactly as `cmake --build BUILD --target update_translations` would.
# Arguments: lupdate, the list of sources, a scratch folder, the .ts files; LUPDATE_OPTIONS
# in the environment holds the options the build gives lupdate.
set -euo pipefail
LUPDATE=$1 SOURCES=$2 SCRATCH=$3
shift 3

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
failures=0
for ts in "$@"; do
  name="$(basename "$ts")"
  copy="$SCRATCH/$name"
  cp "$ts" "$copy"
  # shellcheck disable=SC2086 # the options are words
  "$LUPDATE" -silent ${LUPDATE_OPTIONS:-} -locations none "@$SOURCES" -ts "$copy"
  # One line per message in trouble: its state, then its source text on one line.
  problems="$(awk '
    /<source>/ { in_source = 1; text = "" }
    in_source {
      line = $0
      sub(/^[ \t]*<source>/, "", line)
      sub(/<\/source>.*/, "", line)
      text = text (text == "" ? "" : "\\n") line
    }
    /<\/source>/ { in_source = 0 }
    /<translation[ >]/ {
      if ($0 ~ /type="unfinished"/) print "untranslated: " text
      else if ($0 ~ /type="(vanished|obsolete)"/) print "no longer in the program: " text
      else if ($0 ~ /<translation><\/translation>/) print "translated as nothing: " text
    }' "$copy")"
  count="$(grep -c '<message' "$copy" || true)"
  if [ -n "$problems" ]; then
    echo "FAIL: $name (run: cmake --build BUILD --target update_translations, then translate):" >&2
    sed 's/^/  /' <<<"$problems" >&2
    failures=$((failures + 1))
  else
    echo "$name: all $count texts translated"
  fi
done
exit $((failures != 0))
