#!/usr/bin/env bash
# Builds a Release marovel and the bench tools, generates the benchmark nets
# (kept between runs), and prints one table: per family and size a full
# marovel run against `xmllint --noout` and against the bare parse (expat
# alone, marovel_bare_parse) on the same file, then the reference search
# against the indexed one at 10^4 nodes.
#
# Columns: the file's size; marovel's best time and peak memory, the user
# and system seconds and the minor page faults of that run, its system time
# as a share of its processor time (sys %), its faults per megabyte of
# input (flt/MB) and, where `perf stat` counts them, its cache misses per
# arc (miss/arc, "-" elsewhere); the best read phase of marovel_phases;
# xmllint's time and peak; the bare parse's best time; then marovel's time
# over xmllint's (time x), its peak over xmllint's (mem x), its time over
# the bare parse's (bare x), the read phase over the bare parse (read x)
# and its peak over the file's size (mem/in). The first line names the
# machine.
#
#   bench/run.sh                      # sizes 10^5 and 10^6, every family
#   BENCH_SIZES="10000 100000" BENCH_FAMILIES="random twins" bench/run.sh
#   BENCH_SIZES="1000000 10000000" BENCH_FAMILIES=random bench/run.sh
#                                     # 10^7 nodes: ~1.2 GB of disk, ~4 GB
#                                     # of memory
#   BENCH_LINT_MAX=100000 bench/run.sh
#                                     # xmllint only up to that many nodes
#                                     # (default 10^6: it holds the whole
#                                     # document, some 16 times the file;
#                                     # "-" in its columns above it)
#   BENCH_DIR=/tmp/b bench/run.sh     # nets, build and outputs elsewhere
#   BENCH_REPEAT=5 bench/run.sh       # rounds of runs (default 3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
sizes=${BENCH_SIZES:-"100000 1000000"}
families=${BENCH_FAMILIES:-"chains twins loops random hubs late hub"}
compare_size=${BENCH_COMPARE_SIZE:-10000}
repeat=${BENCH_REPEAT:-3}
lint_max=${BENCH_LINT_MAX:-1000000}
build=$dir/build

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build marovel marovel_gen_net marovel_bare_parse marovel_phases \
  marovel_search_compare

declare -A full_run
machine
printf '%-6s %8s %8s %6s | %6s %6s %6s %5s %5s %6s %8s | %6s | %6s %7s |' \
  family nodes arcs "in MB" "run s" "run MB" "user s" "sys s" "sys %" \
  "flt/MB" "miss/arc" "read s" "lint s" "lint MB"
printf ' %6s | %6s %5s %6s %6s %6s\n' "bare s" "time x" "mem x" "bare x" \
  "read x" "mem/in"
for family in $families; do
  for size in $sizes; do
    net "$family" "$size" >/dev/null
    : >"$dir/runs/marovel-$size.txt"
    : >"$dir/runs/xmllint-$size.txt"
    : >"$dir/runs/bare-$size.txt"
    : >"$dir/runs/read-$size.txt"
  done
  # Rounds over every size and every command, so that a slow spell of the
  # machine falls on all of them rather than on the runs of one size. Each
  # command runs twice in a row, so that one of its runs finds the memory
  # the one before freed, whatever ran before them.
  for _ in $(seq "$repeat"); do
    for size in $sizes; do
      file=$(net "$family" "$size")
      for _ in 1 2; do
        run_once "$dir/runs/marovel-$size.txt" "$build/marovel" \
          -o "$dir/runs/$family-$size-reduced.xml" "$file"
      done
      if [ "$size" -le "$lint_max" ]; then
        for _ in 1 2; do
          run_once "$dir/runs/xmllint-$size.txt" xmllint --noout "$file"
        done
      fi
      for _ in 1 2; do
        run_once "$dir/runs/bare-$size.txt" "$build/marovel_bare_parse" "$file"
      done
      "$build/marovel_phases" "$file" "$dir/runs/$family-$size-phases.xml" |
        awk '$1 == "read_net" { print $2 }' >>"$dir/runs/read-$size.txt"
    done
  done
  for size in $sizes; do
    file=$(net "$family" "$size")
    read -r run_s run_kb user_s sys_s faults < <(
      best "$dir/runs/marovel-$size.txt")
    lint_s=- lint_kb=-
    if [ -s "$dir/runs/xmllint-$size.txt" ]; then
      read -r lint_s lint_kb _ < <(best "$dir/runs/xmllint-$size.txt")
    fi
    read -r bare_s _ < <(best "$dir/runs/bare-$size.txt")
    read_s=$(sort -g "$dir/runs/read-$size.txt" | head -n 1)
    misses=$(cache_misses "$build/marovel" \
      -o "$dir/runs/$family-$size-reduced.xml" "$file")
    full_run[$family-$size]=$run_s
    awk -v f="$family" -v n="$size" -v a="$(cat "$file.arcs")" \
      -v bytes="$(stat -c %s "$file")" -v rs="$run_s" -v rk="$run_kb" \
      -v us="$user_s" -v ss="$sys_s" -v flt="$faults" -v miss="$misses" \
      -v rd="${read_s:-0}" -v ls="$lint_s" -v lk="$lint_kb" -v bs="$bare_s" \
      'BEGIN {
        mb = bytes / 1048576
        printf "%-6s %8d %8d %6.1f | %6.3f %6.0f %6.2f %5.2f %5.1f %6.0f ",
          f, n, a, mb, rs, rk / 1024, us, ss,
          (us + ss > 0 ? 100 * ss / (us + ss) : 0), (mb > 0 ? flt / mb : 0)
        if (miss != "" && a > 0) printf "%8.2f", miss / a
        else printf "%8s", "-"
        printf " | %6.3f | ", rd
        # xmllint not run at this size: its figures and ratios are "-".
        if (ls == "-") printf "%6s %7s | %6.3f | %6s %5s ", "-", "-", bs, "-", "-"
        else printf "%6.3f %7.0f | %6.3f | %6.2f %5.2f ", ls, lk / 1024, bs,
          (ls > 0 ? rs / ls : 0), (lk > 0 ? rk / lk : 0)
        printf "%6.2f %6.2f %6.2f\n", (bs > 0 ? rs / bs : 0),
          (bs > 0 ? rd / bs : 0), (bytes > 0 ? rk * 1024 / bytes : 0) }'
  done
done

# Growth of a full run from each size to the next.
set -- $sizes
if [ $# -ge 2 ]; then
  echo
  printf '%-8s' family
  previous=
  for size in $sizes; do
    [ -n "$previous" ] && printf ' %20s' "at $size / at $previous"
    previous=$size
  done
  echo
  for family in $families; do
    printf '%-8s' "$family"
    previous=
    for size in $sizes; do
      [ -n "$previous" ] && awk -v l="${full_run[$family-$size]}" \
        -v s="${full_run[$family-$previous]}" \
        'BEGIN { printf " %20.2f", (s > 0 ? l / s : 0) }'
      previous=$size
    done
    echo
  done
fi

echo
printf '%-8s %8s %8s %12s %12s %10s %12s\n' family nodes steps \
  "reference s" "indexed s" "speed-up" "index build s"
for family in $families; do
  file=$(net "$family" "$compare_size")
  read -r steps reference indexed setup < <(
    "$build/marovel_search_compare" "$file")
  awk -v f="$family" -v n="$compare_size" -v k="$steps" -v r="$reference" \
    -v i="$indexed" -v b="$setup" 'BEGIN {
      x = (i > 0 ? r / i : 0)
      # A speed-up below 10, a slow-down included, with two decimals.
      printf "%-8s %8d %8d %12.4f %12.6f %10." (x < 10 ? 2 : 0) "f %12.4f\n",
        f, n, k, r, i, x, b }'
done
