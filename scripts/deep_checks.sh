#!/usr/bin/env bash
# The long checks that stay out of ./test.sh, which must be quick and the
# same on every run:
#   1. each libFuzzer harness mutates its corpus for SECONDS, the two side
#      by side (fuzz/run_fuzzers.sh; findings are kept in the folder it
#      names);
#   2. ThreadSanitizer, in build-tsan/, over what uses the second core: the
#      tests that force the two-core paths on small nets, and full runs of
#      generated nets large enough to take them at the default threshold.
# Any finding or data race fails the script; both parts run either way.
#
#   scripts/deep_checks.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || ! [ "$1" -gt 0 ] 2>/dev/null; then
  echo "usage: scripts/deep_checks.sh SECONDS (fuzzing time per harness)" >&2
  exit 2
fi
seconds=$1
scripts/install-deps.sh test fuzz bench

status=0
start=$SECONDS
fuzz/run_fuzzers.sh "$seconds" || status=1
echo "deep checks: fuzzing took $((SECONDS - start)) s"

start=$SECONDS
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_TSAN=ON \
  -DMAROVEL_BENCH=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target marovel marovel_tests \
  marovel_gen_net >/dev/null

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
tsan_status=0
build-tsan/marovel_tests --gtest_brief=1 \
  --gtest_filter='TwoCores*:Worker*:NetReader*:NameTable*:Invariants*:Consistency*' ||
  tsan_status=1

work=$(mktemp -d "${TMPDIR:-/tmp}/marovel-tsan.XXXXXX")
trap 'rm -rf "$work"' EXIT
for family in random twins loops; do
  build-tsan/marovel_gen_net "$family" 80000 1 "$work/$family.xml" >/dev/null
  run_status=0
  build-tsan/marovel -l "$work/$family.xml" >/dev/null || run_status=$?
  if [ "$run_status" -ne 1 ]; then
    echo "tsan: the run on $family ended with status $run_status" >&2
    tsan_status=1
  fi
done
if [ "$tsan_status" -eq 0 ]; then
  echo "tsan: no data race found ($((SECONDS - start)) s)"
else
  status=1
fi
exit "$status"
