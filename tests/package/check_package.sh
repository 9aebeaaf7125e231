#!/usr/bin/env bash
# Builds the Debian package with scripts/package and checks it as a user and a Debian
# archive would: its name and file list, lintian, the desktop entry, the AppStream data,
# both manual pages, the programs unpacked from it, and the bash completion.
# Arguments: the source folder, the version, the AppStream component id, a scratch folder.
set -euo pipefail
ROOT=$1 VERSION=$2 APP_ID=$3 SCRATCH=$4

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

BUILD="${KV_PACKAGE_BUILD_DIR:-$ROOT/build/package}"
KV_PACKAGE_BUILD_DIR="$BUILD" "$ROOT/scripts/package"
deb="$BUILD/kv27500_${VERSION}_amd64.deb"
[ -f "$deb" ] || { echo "FAIL: no $deb" >&2; exit 1; }

# The control fields: the one version, and dependencies read from the binaries.
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "Version is $(dpkg-deb -f "$deb" Version)"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6serialport6 libc6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

# Every file the package holds, no more and no less.
expected="usr/bin/kv27500
usr/bin/kv27500-sim
usr/share/applications/kv27500.desktop
usr/share/bash-completion/completions/kv27500
usr/share/bash-completion/completions/kv27500-sim
usr/share/doc/kv27500/changelog.gz
usr/share/doc/kv27500/copyright
usr/share/icons/hicolor/64x64/apps/kv27500.png
usr/share/icons/hicolor/scalable/apps/kv27500.svg
usr/share/man/man1/kv27500-sim.1.gz
usr/share/man/man1/kv27500.1.gz
usr/share/metainfo/$APP_ID.metainfo.xml"
actual="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | LC_ALL=C sort)"
if [ "$actual" != "$expected" ]; then
  fail "the file list differs (< expected, > in the package):"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

# lintian: no errors; its warnings are shown.
report="$(lintian --allow-root "$deb" || true)"
[ -n "$report" ] && echo "lintian: $report"
grep -q '^E:' <<<"$report" && fail "lintian reports errors"

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH/root"
dpkg -x "$deb" "$SCRATCH/root"
R="$SCRATCH/root"

desktop-file-validate "$R/usr/share/applications/kv27500.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$R/usr/share/metainfo/$APP_ID.metainfo.xml" ||
  fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$R" || fail "appstreamcli validate-tree"
metainfo="$(cat "$R/usr/share/metainfo/$APP_ID.metainfo.xml")"
[[ $metainfo == *"<release version=\"$VERSION\""* ]] || fail "the metainfo's release is not $VERSION"
[[ $metainfo == *"<screenshot type=\"default\">"*"<image>https://"* ]] ||
  fail "the metainfo has no screenshot"

# Both pages render without a warning from groff and hold the sections a user looks for.
for page in kv27500 kv27500-sim; do
  file="$R/usr/share/man/man1/$page.1.gz"
  warnings="$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man $page: $warnings"
  text="$(MANWIDTH=80 man -l "$file" 2>/dev/null)"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -q "^$section\$" <<<"$text" || fail "man $page has no $section"
  done
  grep -q "kv27500 $VERSION" <<<"$text" || fail "man $page does not name version $VERSION"
done
text="$(MANWIDTH=80 man -l "$R/usr/share/man/man1/kv27500.1.gz")"
for section in KEYS "CSV FORMAT" FILES; do
  grep -q "^$section\$" <<<"$text" || fail "man kv27500 has no $section"
done

# The programs as the package has them, on the system's libraries.
out="$("$R/usr/bin/kv27500" --version)" || fail "kv27500 --version exits $?"
[ "$out" = "kv27500 $VERSION" ] || fail "kv27500 --version says '$out'"
"$R/usr/bin/kv27500-sim" --help 2>/dev/null || fail "kv27500-sim --help exits $?"

# The completion, loaded the way bash-completion loads it, offers the options.
complete_line() {
  # shellcheck disable=SC2016
  bash -c 'source /usr/share/bash-completion/bash_completion
           source "$1"; shift; func=$1; shift
           COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           "$func"; ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' \
    bash "$@"
}
comp="$R/usr/share/bash-completion/completions"
[ "$(complete_line "$comp/kv27500" _kv27500 kv27500 --si)" = "--simulate" ] ||
  fail "completing 'kv27500 --si' does not give --simulate"
[ "$(complete_line "$comp/kv27500-sim" _kv27500_sim kv27500-sim --li)" = "--link" ] ||
  fail "completing 'kv27500-sim --li' does not give --link"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package: $deb passes"
