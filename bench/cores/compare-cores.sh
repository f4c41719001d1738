#!/usr/bin/env bash
# Whole pivra-make runs on every core beside the same runs pinned to one core
# (taskset -c 0), interleaved so that a busy machine hurts both alike; prints
# the median wall time and peak memory of each.
#
#   bench/cores/compare-cores.sh [BIN_DIR] [REPEATS] [-- HEAD TAIL]
#
# Without pictures it uses the sample pair; the cases are the scale-50 GIF,
# the 600-pixel WebP and the APNG. With BASE_BIN=DIR (an earlier build's
# bin folder) that build's runs on every core are interleaved too.
set -euo pipefail
bin=${1:-build/bin}
repeats=${2:-7}
shift $(( $# >= 2 ? 2 : $# ))
[ "${1:-}" = "--" ] && shift
head=${1:-$bin/sample_head.jpg}
tail=${2:-$bin/sample_tail.jpg}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cases=("gif:--scale 50:out.gif" "webp:--scale 50:out.webp" "apng:--scale 50:out.png")
declare -A times mems
for ((r = 0; r < repeats; r++)); do
  for c in "${cases[@]}"; do
    IFS=: read -r name opts out <<<"$c"
    for how in all one ${BASE_BIN:+base}; do
      pin=(); [ "$how" = one ] && pin=(taskset -c 0)
      make=$bin/pivra-make; [ "$how" = base ] && make=$BASE_BIN/pivra-make
      # shellcheck disable=SC2086
      /usr/bin/time -f "%e %M" -o "$work/t" "${pin[@]}" "$make" "$head" "$tail" "$work/$out" $opts --quiet
      read -r s kb <"$work/t"
      times[$name.$how]+="$s "
      mems[$name.$how]+="$kb "
    done
  done
done
median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
printf '%-6s %12s %12s %8s %12s %12s\n' case "all cores s" "one core s" speedup "peak MB" "base s"
for c in "${cases[@]}"; do
  name=${c%%:*}
  a=$(median <<<"${times[$name.all]}")
  o=$(median <<<"${times[$name.one]}")
  m=$(median <<<"${mems[$name.all]}")
  b=$([ -n "${BASE_BIN:-}" ] && median <<<"${times[$name.base]}" || echo 0)
  printf '%-6s %12.3f %12.3f %8.2f %12.0f %12.3f\n' "$name" "$a" "$o" "$(echo "$o / $a" | bc -l)" "$(echo "$m / 1024" | bc -l)" "$b"
done
