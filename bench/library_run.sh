#!/usr/bin/env bash
# Times the library against the command on the same net: reading, reducing
# and writing through the public API (marovel_library_run) and a whole
# marovel run, in alternating rounds; prints each one's best time and peak
# memory and the library's time over the command's.
#
#   bench/library_run.sh                    # the random net of 10^6 nodes
#   BENCH_FAMILY=hub BENCH_SIZE=100000 bench/library_run.sh
#   BENCH_REPEAT=5 bench/library_run.sh     # rounds (default 3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
family=${BENCH_FAMILY:-random}
size=${BENCH_SIZE:-1000000}
repeat=${BENCH_REPEAT:-3}
build=$dir/build

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build marovel marovel_gen_net marovel_library_run

file=$(net "$family" "$size")
: >"$dir/runs/library.txt"
: >"$dir/runs/command.txt"
for _ in $(seq "$repeat"); do
  run_once "$dir/runs/command.txt" "$build/marovel" \
    -o "$dir/runs/command-reduced.xml" "$file"
  run_once "$dir/runs/library.txt" "$build/marovel_library_run" \
    -o "$dir/runs/library-reduced.xml" "$file"
done
read -r command_s command_kb < <(best "$dir/runs/command.txt")
read -r library_s library_kb < <(best "$dir/runs/library.txt")
awk -v f="$family" -v n="$size" -v cs="$command_s" -v ck="$command_kb" \
  -v ls="$library_s" -v lk="$library_kb" 'BEGIN {
    printf "%s %d: command %.3f s %.0f MB, library %.3f s %.0f MB, " \
      "library/command %.2f\n", f, n, cs, ck / 1024, ls, lk / 1024,
      (cs > 0 ? ls / cs : 0) }'
