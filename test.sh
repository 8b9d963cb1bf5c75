#!/usr/bin/env bash
# Builds marovel and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-test/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMAROVEL_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
cd build-test
ctest --output-on-failure -j"$(nproc)"
