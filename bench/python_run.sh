#!/usr/bin/env bash
# The Python package against the command: builds a Release marovel, the
# bench tools and the Python module, then on the random net of 10^6 nodes
# prints a whole run (read, reduce, write) of each, best time and largest
# peak over the rounds, and their ratios; the items a second of the net's
# lists through Python; and the small random nets of process-mining
# studies, reduced through the package.
#
#   bench/python_run.sh
#   BENCH_DIR=/tmp/b BENCH_REPEAT=5 bench/python_run.sh
#   BENCH_PYTHON=/path/to/python3 bench/python_run.sh
#
# The interpreter: BENCH_PYTHON, else Debian's /usr/bin/python3 (which sees
# the Debian packages install-deps.sh installs), else python3 on PATH.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BENCH_DIR:-$root/build/bench}
repeat=${BENCH_REPEAT:-3}
size=${BENCH_SIZE:-1000000}
build=$dir/build
python=${BENCH_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=$(command -v python3)
echo "python: $python ($("$python" --version 2>&1))"

"$root/scripts/install-deps.sh" python
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build -DMAROVEL_PYTHON=ON -DPython_EXECUTABLE="$python" -- \
  marovel marovel_gen_net marovel_python

file=$(net random "$size")
bench_py=("$python" "$root/bench/python_bench.py")
export PYTHONPATH=$build/python
: >"$dir/runs/python-cli.txt"
: >"$dir/runs/python-package.txt"
for _ in $(seq "$repeat"); do
  for _ in 1 2; do
    run_once "$dir/runs/python-cli.txt" "$build/marovel" \
      -o "$dir/runs/python-cli.xml" "$file"
  done
  for _ in 1 2; do
    run_once "$dir/runs/python-package.txt" "${bench_py[@]}" run "$file" \
      "$dir/runs/python-package.xml"
  done
done
read -r cli_s cli_kb <<<"$(best "$dir/runs/python-cli.txt")"
read -r py_s py_kb <<<"$(best "$dir/runs/python-package.txt")"
awk -v size="$size" -v cs="$cli_s" -v ck="$cli_kb" -v ps="$py_s" \
  -v pk="$py_kb" 'BEGIN {
    printf "random, %d nodes, whole run    seconds  peak MB\n", size
    printf "  command                      %7.3f %8.1f\n", cs, ck / 1024
    printf "  package                      %7.3f %8.1f\n", ps, pk / 1024
    printf "  package / command            %7.3f %8.3f\n", ps / cs, pk / ck
  }'
if ! cmp -s <(sed 's|<generatedate>[^<]*<|<generatedate><|' \
  "$dir/runs/python-cli.xml") <(sed 's|<generatedate>[^<]*<|<generatedate><|' \
  "$dir/runs/python-package.xml"); then
  echo "the package's output differs from the command's" >&2
  exit 1
fi

echo
"${bench_py[@]}" access "$file"
echo
"${bench_py[@]}" small "$dir/runs/small"
