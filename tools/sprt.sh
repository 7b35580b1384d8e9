#!/bin/sh
# Self-play of the working tree's engine against a base revision, with the
# shared match tool's sequential test deciding when to stop.
#
#   tools/sprt.sh [REF] [match options...]
#
# REF (default HEAD) is checked out in a git worktree beside this one
# (../tolvane-base-<sha>) and built there; the working tree is built with
# `make`. Engine a is the working tree, engine b the base. Default options:
#   --tc 2+0.2 --sprt 0,10 --games 2000 --concurrency 2 --strict
#   --openings ../shared/tools/match/openings.txt
# Options given after REF are added to them (a later option wins).
set -e
top=$(git rev-parse --show-toplevel)
ref=${1:-HEAD}
[ $# -gt 0 ] && shift
sha=$(git -C "$top" rev-parse --short "$ref")
base="$top/../tolvane-base-$sha"
if [ ! -d "$base" ]; then
  git -C "$top" worktree add --detach "$base" "$sha" >/dev/null
fi
make -C "$base" all >/dev/null
make -C "$top" all >/dev/null
match="$top/../shared/tools/match/match.cjs"
echo "engine a: working tree ($(git -C "$top" rev-parse --short HEAD)$(git -C "$top" diff --quiet || echo ', changed')); engine b: $ref ($sha)"
exec node "$match" --a "$top/build/tolvane" --b "$base/build/tolvane" \
  --a-name work --b-name "base-$sha" \
  --tc 2+0.2 --sprt 0,10 --games 2000 --concurrency 2 --strict \
  --openings "$top/../shared/tools/match/openings.txt" "$@"
