#!/usr/bin/env bash
# Builds marovel and its companion commands pnml2net, net2dot and net2pnml
# (Release, in build/) and runs marovel with the given arguments;
# with none, reduces the bundled example net and says where the results are.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
# The build's progress goes to standard error, so that `./run.sh ARGS`
# prints on standard output what marovel prints and nothing else.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMAROVEL_TESTS=OFF >/dev/null
cmake --build build --target marovel pnml2net net2dot net2pnml -j"$(nproc)" >&2

if [ $# -gt 0 ]; then
  exec build/marovel "$@"
fi

mkdir -p build/example
cp examples/chain.xml build/example/chain.xml
status=0
build/marovel -l build/example/chain.xml || status=$?
echo
echo "Input:   build/example/chain.xml"
[ -f build/example/chain_reduced.xml ] && echo "Output:  build/example/chain_reduced.xml"
[ -f build/example/chain.log ] && echo "Log:     build/example/chain.log"
exit "$status"
