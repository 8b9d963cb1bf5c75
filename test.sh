#!/usr/bin/env bash
# Builds marovel and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-test/ and runs every test, after a
# short pass of the fuzz harnesses (fuzz/run_fuzzers.sh). The tests that cap
# memory run a Release marovel, built in build/ as ./run.sh builds it: the
# sanitizers' allocator reports a failed allocation instead of failing it.
set -euo pipefail
cd "$(dirname "$0")"

# graphviz: dot renders net2dot's output; man-db and groff-base render the
# manual pages; dpkg-dev's dpkg-shlibdeps gives the Debian package its
# dependencies.
scripts/install-deps.sh clang-14 libclang-rt-14-dev graphviz man-db groff-base \
  dpkg-dev
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMAROVEL_TESTS=OFF >/dev/null
cmake --build build --target marovel -j"$(nproc)"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_SANITIZE=ON \
  -DMAROVEL_PLAIN_BUILD_DIR="$PWD/build" >/dev/null
cmake --build build-test -j"$(nproc)"
# The fuzz pass runs first so that ctest's summary closes the output; a
# finding still fails the script.
fuzz_status=0
fuzz/run_fuzzers.sh 25 || fuzz_status=$?
cd build-test
ctest --output-on-failure -j"$(nproc)"
exit "$fuzz_status"
