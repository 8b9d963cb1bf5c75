#!/usr/bin/env bash
# The gate, which CI runs: builds in folders of its own and runs every test,
# with nothing left to chance. The user's build/ is left alone.
#
#   build-test-release/  the package's build (scripts/package.sh): Release,
#                        Debian's hardening flags. The memory-cap tests run
#                        its marovel (the sanitizers' allocator reports a
#                        failed allocation instead of failing it) and the
#                        package tests pack it. Its Python module is tested
#                        there (pytest, python/tests/), against its
#                        commands.
#   build-test/          AddressSanitizer and UBSan: the unit and end-to-end
#                        tests, run by ctest.
#   build-fuzz/          the libFuzzer harnesses, which replay their
#                        checked-in corpus once, without mutating it.
#
# Fuzzing for a time and ThreadSanitizer run apart, in
# scripts/deep_checks.sh.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test fuzz package python
scripts/package.sh build-test-release

# The package's build holds the Python module, built for Debian's python3,
# the one that sees the Debian packages installed above (another python3
# earlier on PATH may not).
python=/usr/bin/python3
echo "test.sh: the Python package is tested with $python" >&2
python_status=0
PYTHONPATH="$PWD/build-test-release/python" \
  MAROVEL_BIN_DIR="$PWD/build-test-release" \
  "$python" -m pytest -q -p no:cacheprovider python/tests || python_status=$?

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_SANITIZE=ON \
  -DMAROVEL_PLAIN_BUILD_DIR="$PWD/build-test-release" >/dev/null
cmake --build build-test -j"$(nproc)"
# The replay runs first so that ctest's summary closes the output; a finding
# (or a failed Python test) still fails the script.
fuzz_status=0
fuzz/run_fuzzers.sh --replay || fuzz_status=$?
cd build-test
ctest --output-on-failure -j"$(nproc)"
[ "$python_status" -eq 0 ] || exit "$python_status"
exit "$fuzz_status"
