#!/usr/bin/env bash
# The gate, which CI runs: builds in folders of its own and runs every test,
# with nothing left to chance. The user's build/ is left alone.
#
#   build-test-release/  the package's build (scripts/package.sh): Release,
#                        Debian's hardening flags. The memory-cap tests run
#                        its marovel (the sanitizers' allocator reports a
#                        failed allocation instead of failing it) and the
#                        package tests pack it.
#   build-test/          AddressSanitizer and UBSan: the unit and end-to-end
#                        tests, run by ctest.
#   build-fuzz/          the libFuzzer harnesses, which replay their
#                        checked-in corpus once, without mutating it.
#
# Fuzzing for a time and ThreadSanitizer run apart, in
# scripts/deep_checks.sh.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test fuzz package
scripts/package.sh build-test-release
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_SANITIZE=ON \
  -DMAROVEL_PLAIN_BUILD_DIR="$PWD/build-test-release" >/dev/null
cmake --build build-test -j"$(nproc)"
# The replay runs first so that ctest's summary closes the output; a finding
# still fails the script.
fuzz_status=0
fuzz/run_fuzzers.sh --replay || fuzz_status=$?
cd build-test
ctest --output-on-failure -j"$(nproc)"
exit "$fuzz_status"
