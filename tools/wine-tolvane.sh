#!/bin/sh
# build-win/tolvane.exe under Wine, in the prefix `make test-windows` sets up: node ../shared/tools/match/match.cjs --a tools/wine-tolvane.sh ...
export WINEPREFIX="$(cd "$(dirname "$0")/.." && pwd)/build-win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
exec wine "$WINEPREFIX/../tolvane.exe" "$@"
