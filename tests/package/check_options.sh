#!/usr/bin/env bash
# Every option a program's --help names has its entry under OPTIONS in the manual page and
# is offered by the bash completion, which offers nothing --help does not name; and the
# completion completes each option's value with the right kind of thing.
# Arguments: kv27500, kv27500-sim, the packaging folder, a scratch folder.
set -euo pipefail
KV27500=$1 SIM=$2 PACKAGING=$3 SCRATCH=$4

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The long options in a text, one per line, sorted, "--help" always among them.
options_in() { { grep -o -- '--[a-z][a-z-]*' || true; echo --help; } | LC_ALL=C sort -u; }

# The option headings under OPTIONS in a manual page source: the line after each .TP.
man_options() {
  awk '/^\.SH /{in_options = ($2 == "OPTIONS")} in_options && after_tp {print} {after_tp = /^\.TP/}' \
    "$1" | sed 's/\\-/-/g' | options_in
}

# What the completion function offers for the words given (the last is being completed).
complete_words() {
  local script=$1 func=$2
  shift 2
  # shellcheck disable=SC2016
  bash -c 'source /usr/share/bash-completion/bash_completion
           source "$1"; shift; func=$1; shift
           COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           "$func"; ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' \
    bash "$script" "$func" "$@" | LC_ALL=C sort
}

# Compares the option sets of one program: the lines only in the first set are reported.
missing() { LC_ALL=C comm -23 <(echo "$1") <(echo "$2") | tr '\n' ' '; }

check_program() {
  local name=$1 help=$2 func=$3
  local man completion only
  man="$(man_options "$PACKAGING/$name.1.in")"
  completion="$(complete_words "$PACKAGING/bash-completion/$name" "$func" "$name" -- | options_in)"
  only="$(missing "$help" "$man")"
  [ -z "$only" ] || fail "$name --help names options its manual page lacks: $only"
  only="$(missing "$man" "$help")"
  [ -z "$only" ] || fail "$name's manual page has options --help does not name: $only"
  only="$(missing "$help" "$completion")"
  [ -z "$only" ] || fail "the completion of $name lacks: $only"
  only="$(missing "$completion" "$help")"
  [ -z "$only" ] || fail "the completion of $name offers options --help does not name: $only"
}

# kv27500 lists its options one a line, indented by two spaces.
check_program kv27500 "$("$KV27500" --help | grep -E '^  --' | options_in)" _kv27500
# kv27500-sim names them in its usage text, on stderr.
check_program kv27500-sim "$("$SIM" --help 2>&1 | options_in)" _kv27500_sim

# The values: files of the right kind, devices, nothing for numbers.
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH/folder"
cd "$SCRATCH"
touch bench.csv notes.txt window.png
ln -s /dev/null meter
c="$PACKAGING/bash-completion/kv27500"
expect() {
  local want=$1
  shift
  local got
  got="$(complete_words "$c" _kv27500 "$@" | tr '\n' ' ')"
  [ "$got" = "$want" ] || fail "completing '$*' gives '$got', not '$want'"
}
expect "--simulate " kv27500 --si
expect "--no-window --note " kv27500 --no
expect "--no-window " kv27500 --no-
expect "- bench.csv folder " kv27500 --log ""
expect "bench.csv " kv27500 --log=b
expect "folder window.png " kv27500 --snapshot ""
expect "bench.csv folder meter notes.txt window.png " kv27500 --simulate ""
expect "--autostart " kv27500 --simulate --au
expect "" kv27500 --readings ""
expect "" kv27500 --duration 1
# A stable name made by kv27500-sim --link is a file; /dev/... gives serial devices only.
expect "meter " kv27500 --port me
devices="$(complete_words "$c" _kv27500 kv27500 --port /dev/)"
if grep -v -E '^/dev/(serial/by-id/|ttyUSB|ttyACM|ttyS|rfcomm)' <<<"$devices" | grep -q .; then
  fail "completing '--port /dev/' offers other than serial devices: $devices"
fi
got="$(complete_words "$PACKAGING/bash-completion/kv27500-sim" _kv27500_sim kv27500-sim --l |
  tr '\n' ' ')"
[ "$got" = "--link --loop " ] || fail "completing 'kv27500-sim --l' gives '$got'"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "options: manual pages and completion agree with --help"
