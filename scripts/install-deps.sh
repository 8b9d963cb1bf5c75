#!/usr/bin/env bash
# Installs the Debian packages that the named jobs need, and nothing when
# they are all present. Needs root when something is missing.
#
#   scripts/install-deps.sh [JOB...]
#
# With no job, what building the commands needs (./run.sh): net2html links
# Graphviz's layout libraries, found through pkg-config. Each job adds:
#   test     the unit and end-to-end tests: GoogleTest; dot renders
#            net2dot's output; man-db and groff-base render the manual
#            pages; lintian checks the packages; pkg-config builds the
#            library's example; pytest runs the Python package's tests
#            (networkx for its conversions) and drives headless Chromium
#            through Selenium over net2html's pages
#   fuzz     the libFuzzer harnesses: clang and its runtime libraries
#   package  the Debian package: dpkg-dev (dpkg-buildflags, dpkg-shlibdeps)
#            and file, which CPack runs on the commands
#   bench    the benchmark tools: Google Benchmark; time, xmllint and perf,
#            which the bench scripts run (perf counts the cache misses)
#   python   the Python package (-DMAROVEL_PYTHON=ON, `pip install .`):
#            Python's headers, pybind11 and setuptools, for Debian's own
#            interpreter, /usr/bin/python3
#
# wxWidgets: Debian ships no development package for its base library alone;
# libwxgtk3.2-dev is the one that holds wx-config, the build's wx/setup.h
# and the link to libwx_baseu-3.2.so, and it depends on the GUI libraries
# and on the GL and GLU headers. marovel links the base library only.
set -euo pipefail

packages=(cmake make g++ libwxgtk3.2-dev libexpat1-dev libgraphviz-dev
          pkg-config)
for job in "$@"; do
  case $job in
    test)
      packages+=(libgtest-dev graphviz man-db groff-base lintian pkg-config
                 python3-pytest python3-networkx chromium chromium-driver
                 python3-selenium)
      ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    package) packages+=(dpkg-dev file) ;;
    bench) packages+=(libbenchmark-dev time libxml2-utils linux-perf) ;;
    python) packages+=(python3-dev python3-pybind11 python3-setuptools) ;;
    *)
      echo "install-deps: unknown job '$job' (test, fuzz, package, bench, python)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
