# What the benchmark scripts share; sourced with $dir (nets and records) and
# $build (the build with the bench tools) set.

# The net of one family and size, generated once; its arc count beside it.
net() {
  local file=$dir/nets/$1-$2.xml
  if [ ! -s "$file" ] || [ ! -s "$file.arcs" ]; then
    "$build/marovel_gen_net" "$1" "$2" 1 "$file" >"$file.arcs"
  fi
  echo "$file"
}

# Appends "seconds peak_kilobytes" of one run of a command to the file $1.
# GNU time gives the peak; the shell's own timer gives the time to the
# millisecond, where GNU time's is to the hundredth of a second, a twentieth
# of a run of 0.2 s. The command's own exit status is ignored.
run_once() {
  local record=$1 peak=$dir/runs/peak.txt TIMEFORMAT=%3R seconds
  shift
  seconds=$({ time /usr/bin/time -f "%M" -o "$peak" "$@" >/dev/null 2>&1; } \
    2>&1) || true
  echo "$seconds $(tail -n 1 "$peak")" >>"$record"
}

# "seconds peak_kilobytes" of the runs recorded in $1: the shortest time and
# the largest peak, since on a virtual machine the first touch of fresh
# memory can cost more than the work itself.
best() {
  awk 'NR == 1 || $1 < s { s = $1 } $2 > m { m = $2 } END { print s, m }' "$1"
}
