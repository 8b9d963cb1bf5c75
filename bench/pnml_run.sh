#!/usr/bin/env bash
# Times pnml2net against the XML load alone on a generated PNML file (about
# 60 MB with the defaults) in a Release build, best of several runs, and
# prints the file's size, each phase of the conversion and the whole command.
#
#   bench/pnml_run.sh                          # hubs, 200000 nodes, 7 runs
#   PNML_FAMILY=twins PNML_NODES=100000 PNML_RUNS=3 bench/pnml_run.sh
#   BENCH_DIR=/tmp/b bench/pnml_run.sh         # file, build and output elsewhere
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
family=${PNML_FAMILY:-hubs}
nodes=${PNML_NODES:-200000}
runs=${PNML_RUNS:-7}
build=$dir/build

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build pnml2net marovel_gen_net marovel_pnml_phases

input=$dir/nets/$family-$nodes.pnml
if [ ! -s "$input" ]; then
  "$build/marovel_gen_net" "$family" "$nodes" 1 "$input" >"$input.counts"
fi
output=$dir/runs/$family-$nodes.xml
echo "$input: $(stat -c %s "$input") bytes, $(cat "$input.counts")"

# Phases, each the best of all runs, wall clock and CPU.
for _ in $(seq "$runs"); do
  "$build/marovel_pnml_phases" "$input" "$output"
done | awk '{ if (!($1 in wall) || $2 < wall[$1]) wall[$1] = $2
              if (!($1 in cpu) || $3 < cpu[$1]) cpu[$1] = $3
              if (!($1 in order)) order[$1] = n++ }
            END { printf "%-16s %8s %8s\n", "phase", "wall s", "cpu s"
                  for (p in order) line[order[p]] = p
                  for (i = 0; i < n; ++i)
                    printf "%-16s %8.3f %8.3f\n", line[i], wall[line[i]],
                      cpu[line[i]] }'

# The whole command, start and exit of the process included.
for _ in $(seq "$runs"); do
  /usr/bin/time -f "%e %U %S" -o "$dir/runs/time.txt" \
    "$build/pnml2net" "$input" -o "$output" >/dev/null
  cat "$dir/runs/time.txt"
done | awk '{ cpu = $2 + $3
              if (n++ == 0 || $1 < wall) wall = $1
              if (n == 1 || cpu < best_cpu) best_cpu = cpu }
            END { printf "%-16s %8.3f %8.3f\n", "pnml2net", wall, best_cpu }'
