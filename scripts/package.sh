#!/usr/bin/env bash
# Builds the Debian package: a Release build with Debian's hardening flags
# (MAROVEL_DEBIAN_FLAGS) in BUILD_DIR, then `cpack -G DEB` there, which
# writes marovel_VERSION-REVISION_ARCH.deb into BUILD_DIR.
#
#   scripts/package.sh [BUILD_DIR]     # default: build-package
#   scripts/package.sh --build-only BUILD_DIR
#
# It writes one package for each component: marovel (the commands),
# libmarovel0 and libmarovel-dev (the library).
#
# --build-only configures and builds the same way and makes no package
# (./test.sh builds so the release build its tests pack and run).
set -euo pipefail
cd "$(dirname "$0")/.."

pack=1
if [ "${1:-}" = --build-only ]; then
  pack=0
  shift
fi
build=${1:-build-package}

scripts/install-deps.sh package
# Installed under /usr, as the package is: the library then goes to
# Debian's folder for the architecture (lib/x86_64-linux-gnu and the like).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMAROVEL_TESTS=OFF \
  -DMAROVEL_DEBIAN_FLAGS=ON -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)"
if [ "$pack" -eq 1 ]; then
  (cd "$build" && cpack -G DEB)
fi
