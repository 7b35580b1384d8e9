#!/bin/sh
# Nodes per second by number of search threads: each position of the depth
# table in STRENGTH.md searched for SECONDS with `go movetime`, the engine's
# last "nps=" line per run, then the sum per thread count.
#
#   tools/threads_nps.sh [ENGINE] [SECONDS] [THREADS...]   (default build/tolvane 5 1 2 4)
engine=${1:-build/tolvane}
seconds=${2:-5}
[ $# -gt 2 ] && shift 2 || set --
[ $# -eq 0 ] && set -- 1 2 4
ms=$((seconds * 1000))
cd "$(dirname "$engine")" || exit 2
for threads in "$@"; do
  total=0
  while read -r fen; do
    nps=$( (printf 'ucci\nsetoption bookfiles\nsetoption threads %s\nposition fen %s\ngo movetime %s\n' \
              "$threads" "$fen" "$ms"
            sleep $((seconds + 1)); printf 'quit\n') | ./"$(basename "$engine")" |
          sed -n 's/^info time=.*nps=\([0-9.]*\)k$/\1/p' | tail -1)
    total=$(echo "$total + $nps" | bc)
    echo "threads $threads: $nps k nodes/s  $fen"
  done <<'POSITIONS'
rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w
r3kab1r/4a4/2n1b1n2/p3p1p1p/1cp6/6PN1/P1P1P3P/2N1B2C1/4A4/R3KAB1R w
r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w
2bak3r/3Ca4/r1n1b1n2/p3p3p/7c1/2R5P/P1P1P4/2N1B2C1/4A4/1RBAK4 w
2b1ka3/4a4/2n1b4/p1pr2n1p/2c1p1p2/P4CP2/4P3P/1NR1B1N1B/4A4/4KA3 w
POSITIONS
  echo "threads $threads: total $total k nodes/s over the five positions"
done
