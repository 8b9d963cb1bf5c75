#!/usr/bin/env bash
# Builds marovel and its tests with ThreadSanitizer in build-tsan/ and runs
# what uses the second core: the tests that force the two-core paths on
# small nets, and full runs of generated nets large enough to take them at
# the default threshold. Any data race fails the script.
#
#   scripts/tsan.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_TSAN=ON \
  -DMAROVEL_BENCH=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target marovel marovel_tests \
  marovel_gen_net >/dev/null

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/marovel_tests \
  --gtest_filter='TwoCores*:Worker*:NetReader*:NameTable*:Invariants*:Consistency*'

work=$(mktemp -d "${TMPDIR:-/tmp}/marovel-tsan.XXXXXX")
trap 'rm -rf "$work"' EXIT
for family in random twins loops; do
  build-tsan/marovel_gen_net "$family" 80000 1 "$work/$family.xml" >/dev/null
  status=0
  build-tsan/marovel -l "$work/$family.xml" >/dev/null || status=$?
  if [ "$status" -ne 1 ]; then
    echo "tsan: the run on $family ended with status $status" >&2
    exit 1
  fi
done
echo "tsan: no data race found"
