#!/usr/bin/env bash
# Records what a marovel binary does on a fixed set of inputs, so that two
# builds can be compared byte for byte: for every input and rule choice, its
# standard output, standard error (clock times masked), exit status, output
# file (generation date masked) and log, one folder per run.
#
#   bench/record_runs.sh MAROVEL_BINARY OUT_DIR [NETS_DIR]
#
# The inputs: examples/*.xml, both fuzz corpora (a run seed's first byte
# chooses the rules, bit i for rule A+i) and every *.xml in NETS_DIR (for
# instance the benchmark's nets at 10^5 nodes). Then compare two records
# with `diff -r OLD_DIR NEW_DIR`.
set -euo pipefail

binary=$(realpath "$1")
out=$2
nets=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/marovel-record.XXXXXX")
trap 'rm -rf "$work"' EXIT

# record NAME FILE ARGS...: one run of the binary on a copy of FILE.
record() {
  local name=$1 file=$2 dir=$out/$1 status=0
  shift 2
  mkdir -p "$dir"
  rm -rf "$work/run"
  mkdir -p "$work/run"
  cp "$file" "$work/run/net.xml"
  (cd "$work/run" && "$binary" "$@" net.xml >"$dir/stdout" 2>"$dir/stderr") ||
    status=$?
  echo "$status" >"$dir/status"
  # wx log lines start with the clock time.
  sed -i -E 's/^[0-9]{2}:[0-9]{2}:[0-9]{2}: /HH:MM:SS: /' "$dir/stderr"
  # Timings of a verbose run change from run to run.
  sed -i -E 's/[0-9]+\.[0-9]+ s\b/T s/g' "$dir/stderr"
  if [ -f "$work/run/net_reduced.xml" ]; then
    sed -E 's|<generatedate>[^<]*</generatedate>|<generatedate>DATE</generatedate>|' \
      "$work/run/net_reduced.xml" >"$dir/output"
  fi
  [ -f "$work/run/net.log" ] && cp "$work/run/net.log" "$dir/log"
  return 0
}

# Every input with the default rules and the log, then with a few rule
# subsets and a step limit.
record_all() {
  local name=$1 file=$2
  record "$name.all" "$file" -l
  record "$name.AC" "$file" --rules=AC
  record "$name.BDF" "$file" --rules=bdf -l
  record "$name.E" "$file" --rules=E
  record "$name.steps3" "$file" --steps=3 -l
}

for file in "$root"/examples/*.xml; do
  record_all "example-$(basename "$file" .xml)" "$file"
done
for file in "$root"/fuzz/corpus/reader/*; do
  record_all "reader-$(basename "$file")" "$file"
done
for file in "$root"/fuzz/corpus/run/*; do
  [ -s "$file" ] || continue
  byte=$(od -An -tu1 -N1 "$file" | tr -d ' ')
  rules=""
  for i in 0 1 2 3 4 5; do
    if (((byte >> i) & 1)); then rules+=$(printf "\\x$(printf %x $((65 + i)))"); fi
  done
  # Bit 6 says a byte of kept names follows, which the command has no
  # option for: the net is recorded without them.
  start=2
  if (((byte >> 6) & 1)); then start=3; fi
  tail -c +$start "$file" >"$work/seed.xml"
  record "run-$(basename "$file")" "$work/seed.xml" -l "--rules=${rules:-x}"
done
if [ -n "$nets" ]; then
  for file in "$nets"/*.xml; do
    record_all "net-$(basename "$file" .xml)" "$file"
  done
fi
echo "recorded $(ls "$out" | wc -l) runs in $out"
