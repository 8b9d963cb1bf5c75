#!/usr/bin/env bash
# Runs every input of bench/record_runs.sh through the public library
# (marovel_library_run) and compares what it writes with a record of the
# command's runs: for every run, the exit status, the output file (date
# masked) and the log, byte for byte. Standard output and error are the
# command's own and are not compared.
#
#   bench/record_runs.sh build/marovel /tmp/tool-record NETS_DIR
#   bench/library_matches_record.sh /tmp/tool-record NETS_DIR
#
# Prints the number of runs compared and every difference; exits 1 on any.
set -euo pipefail

record=$(realpath "$1")
nets=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
build=$dir/build

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build marovel_library_run

library=$dir/library-record
"$root/bench/record_runs.sh" "$build/marovel_library_run" "$library" $nets

runs=0 differ=0
for run in "$record"/*/; do
  name=$(basename "$run")
  runs=$((runs + 1))
  for part in status output log; do
    if ! cmp -s "$run/$part" "$library/$name/$part" 2>/dev/null &&
      { [ -e "$run/$part" ] || [ -e "$library/$name/$part" ]; }; then
      echo "differs: $name/$part"
      differ=$((differ + 1))
    fi
  done
done
echo "$runs runs compared, $differ differences"
[ "$differ" -eq 0 ]
