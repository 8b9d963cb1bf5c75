#!/usr/bin/env bash
# Builds the libFuzzer harnesses in build-fuzz/, then either replays each
# harness's checked-in corpus once, every input as it is (--replay: what
# ./test.sh runs), or fuzzes for a bounded time, mutating a copy of the
# corpus. Exits non-zero on a finding (a crash, a leak, a hang past the
# time-out or memory past the limit) and keeps what the run left for
# inspection; the repository's corpus is never modified.
#
#   fuzz/run_fuzzers.sh --replay
#   fuzz/run_fuzzers.sh SECONDS_PER_HARNESS [WORK_DIR]
#
# WORK_DIR, when given, keeps the grown corpora and the logs (and a later
# run resumes from them); otherwise a temporary folder is used and removed
# after a clean run.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ]; then
  echo "usage: fuzz/run_fuzzers.sh --replay | SECONDS_PER_HARNESS [WORK_DIR]" >&2
  exit 2
fi
seconds=$1
work=${2:-}
compiler=clang++-14
if ! command -v "$compiler" >/dev/null; then
  echo "fuzz: $compiler not found (scripts/install-deps.sh fuzz)" >&2
  exit 1
fi

build_log=$(mktemp)
if ! { CXX=$compiler cmake -S fuzz -B build-fuzz &&
       cmake --build build-fuzz -j"$(nproc)"; } >"$build_log" 2>&1; then
  cat "$build_log" >&2
  rm -f "$build_log"
  echo "fuzz: the harnesses did not build" >&2
  exit 1
fi
rm -f "$build_log"

keep=1
if [ -z "$work" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/marovel-fuzz.XXXXXX")
  keep=0
fi
mkdir -p "$work/findings"

# ASan reserves terabytes of address space, so memory is bounded by resident
# size and by the largest single allocation, not by ulimit -v.
limits=(-rss_limit_mb=768 -malloc_limit_mb=256)

# One harness: replays or grows its corpus and prints one line of result.
fuzz_one() {
  local harness=$1 seeds=fuzz/corpus/$2 log=$work/$1.log
  local args=("${limits[@]}" -artifact_prefix="$work/findings/$harness-")
  if [ "$seconds" = --replay ]; then
    # Each file given runs once, whole; the time-out leaves room for a
    # loaded machine.
    args+=(-timeout=60 "$seeds"/*)
  else
    local corpus=$work/corpus-$2
    mkdir -p "$corpus"
    cp -n "$seeds"/* "$corpus"/ || true
    args+=(-dict=fuzz/marovel.dict -max_total_time="$seconds" -timeout=10
           -max_len=16384 -print_final_stats=1 "$corpus")
  fi
  if build-fuzz/${harness}_fuzzer "${args[@]}" >"$log" 2>&1; then
    if [ "$seconds" = --replay ]; then
      echo "fuzz: $harness: replayed $(find "$seeds" -type f | wc -l) inputs"
    else
      echo "fuzz: $harness: $(grep -m1 -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")"
    fi
  else
    echo "fuzz: $harness FAILED; log and input in $work" >&2
    tail -n 40 "$log" >&2
    return 1
  fi
}

# The harnesses run side by side when there is a core for each, so an hour
# per harness takes an hour.
pairs=(xml_reader:reader full_run:run)
status=0
if [ "$(nproc)" -ge "${#pairs[@]}" ]; then
  pids=()
  for pair in "${pairs[@]}"; do
    fuzz_one "${pair%%:*}" "${pair##*:}" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || status=1
  done
else
  for pair in "${pairs[@]}"; do
    fuzz_one "${pair%%:*}" "${pair##*:}" || status=1
  done
fi
[ "$status" -ne 0 ] && keep=1
[ "$keep" -eq 0 ] && rm -rf "$work"
exit "$status"
