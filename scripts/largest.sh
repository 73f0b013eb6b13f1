#!/usr/bin/env bash
# The largest source file (lines) and the five longest functions (lines, from
# universal-ctags' line and end fields) under a source folder, default src/.
set -euo pipefail
dir="${1:-src}"
find "$dir" -name '*.cpp' -o -name '*.h' | xargs wc -l | sort -n | tail -2 | head -1
ctags -R --kinds-c++=f --fields=+ne -u -f - "$dir" |
    awk -F'\t' '{ s = 0; e = 0
                  for (i = 4; i <= NF; ++i) { if ($i ~ /^line:/) s = substr($i, 6); if ($i ~ /^end:/) e = substr($i, 5) }
                  print e - s + 1, $2 ":" s, $1 }' | sort -rn | head -5
