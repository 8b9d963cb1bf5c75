# What the benchmark scripts share; sourced with $root (the repository),
# $dir (nets and records) and $build (the build with the bench tools) set.

# Installs the bench packages, builds TARGET... in $build (Release, with
# the bench tools, without the tests) and makes the folders of the nets and
# the runs. CMake options may come first, up to a "--":
#   bench_build -DMAROVEL_PYTHON=ON -- marovel marovel_python
bench_build() {
  local options=()
  if [[ " $* " == *" -- "* ]]; then
    while [ "$1" != "--" ]; do
      options+=("$1")
      shift
    done
    shift
  fi
  "$root/scripts/install-deps.sh" bench
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMAROVEL_BENCH=ON \
    -DMAROVEL_TESTS=OFF "${options[@]}" >/dev/null
  cmake --build "$build" -j2 --target "$@" >/dev/null
  mkdir -p "$dir/nets" "$dir/runs"
}

# The net of one family and size, generated once; its arc count beside it.
net() {
  local file=$dir/nets/$1-$2.xml
  if [ ! -s "$file" ] || [ ! -s "$file.arcs" ]; then
    "$build/marovel_gen_net" "$1" "$2" 1 "$file" >"$file.arcs"
  fi
  echo "$file"
}

# Appends "seconds peak_kilobytes user_seconds system_seconds minor_faults"
# of one run of a command to the file $1. GNU time gives the peak, the
# processor times and the page faults; the shell's own timer gives the time
# to the millisecond, where GNU time's is to the hundredth of a second, a
# twentieth of a run of 0.2 s. The command's own exit status is ignored.
run_once() {
  local record=$1 peak=$dir/runs/peak.txt TIMEFORMAT=%3R seconds
  shift
  seconds=$({ time /usr/bin/time -f "%M %U %S %R" -o "$peak" "$@" \
    >/dev/null 2>&1; } 2>&1) || true
  echo "$seconds $(tail -n 1 "$peak")" >>"$record"
}

# "seconds peak_kilobytes user_seconds system_seconds minor_faults" of the
# runs recorded in $1: the shortest time with the processor times and faults
# of that same run, and the largest peak, since on a virtual machine the
# first touch of fresh memory can cost more than the work itself.
best() {
  awk 'NR == 1 || $1 < s { s = $1; u = $3; y = $4; f = $5 }
    $2 > m { m = $2 }
    END { print s, m, u, y, f }' "$1"
}

# The processor's cache misses of one run of a command, counted by
# `perf stat`; nothing where perf is missing or the machine does not count
# them (a virtual machine often hides its counters).
cache_misses() {
  command -v perf >/dev/null 2>&1 || return 0
  perf stat -x, -e cache-misses -o "$dir/runs/perf.txt" -- "$@" \
    >/dev/null 2>&1 || true
  awk -F, '$3 == "cache-misses" && $1 ~ /^[0-9]+$/ { print $1 }' \
    "$dir/runs/perf.txt"
}

# One line that names the machine: its processor, cores and caches.
machine() {
  lscpu | awk -F: '
    { sub(/^[ \t]+/, "", $2) }
    $1 == "Model name" { model = $2 }
    $1 == "CPU(s)" { cores = $2 }
    $1 == "L1d cache" { l1 = $2 }
    $1 == "L2 cache" { l2 = $2 }
    $1 == "L3 cache" { l3 = $2 }
    END { printf "machine: %s, %s cores, L1d %s, L2 %s, L3 %s\n",
      model, cores, l1, l2, l3 }'
}
