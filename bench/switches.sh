#!/usr/bin/env bash
# What each speed trick gains: builds a Release marovel with every trick on
# and one with each turned off (MAROVEL_PREFETCH, MAROVEL_THREADS), runs them
# in rounds on the benchmark nets, and prints per family the best time of
# each build and how much slower it is without the trick (a gain of 1.20
# means the trick saves a sixth of the run).
#
#   bench/switches.sh                          # 10^6 nodes, every family
#   SWITCH_SIZE=100000 BENCH_FAMILIES="random hub" bench/switches.sh
#   BENCH_DIR=/tmp/b BENCH_REPEAT=5 bench/switches.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
size=${SWITCH_SIZE:-1000000}
families=${BENCH_FAMILIES:-"chains twins loops random hubs late hub"}
repeat=${BENCH_REPEAT:-3}
build=$dir/build
variants="all no-prefetch one-core"

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build marovel_gen_net
for variant in $variants; do
  case $variant in
    all) flags=() ;;
    no-prefetch) flags=(-DMAROVEL_PREFETCH=OFF) ;;
    one-core) flags=(-DMAROVEL_THREADS=OFF) ;;
  esac
  cmake -S "$root" -B "$dir/build-$variant" -DCMAKE_BUILD_TYPE=Release \
    -DMAROVEL_TESTS=OFF "${flags[@]}" >/dev/null
  cmake --build "$dir/build-$variant" -j2 --target marovel >/dev/null
done

printf '%-8s %8s | %8s | %8s %6s | %8s %6s\n' family nodes "all s" \
  "no pf s" gain "1 core s" gain
for family in $families; do
  file=$(net "$family" "$size")
  for variant in $variants; do : >"$dir/runs/switch-$variant.txt"; done
  # Rounds over the builds, each twice in a row, as bench/run.sh does.
  for _ in $(seq "$repeat"); do
    for variant in $variants; do
      for _ in 1 2; do
        run_once "$dir/runs/switch-$variant.txt" \
          "$dir/build-$variant/marovel" -o "$dir/runs/switch-reduced.xml" \
          "$file"
      done
    done
  done
  declare -A seconds=()
  for variant in $variants; do
    read -r s _ < <(best "$dir/runs/switch-$variant.txt")
    seconds[$variant]=$s
  done
  awk -v f="$family" -v n="$size" -v a="${seconds[all]}" \
    -v p="${seconds[no-prefetch]}" -v c="${seconds[one-core]}" 'BEGIN {
      printf "%-8s %8d | %8.3f | %8.3f %6.2f | %8.3f %6.2f\n",
        f, n, a, p, p / a, c, c / a }'
done
