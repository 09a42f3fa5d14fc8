#!/usr/bin/env bash
# Draws the project's include graph between folders, as Graphviz text on
# standard output: one edge per pair of folders (floor/subsystem, for example
# core/stitch or shell/ui) where a file of the first includes a header of the
# second, labelled with how many includes make it. Edges inside one folder are
# left out. Render with `dot -Tsvg`; the build's own check (cmake/check_layers.cmake)
# refuses any edge that points up a floor.
#   scripts/include_graph.sh [--both-ways]
# --both-ways prints only the folder pairs with includes in both directions.
set -euo pipefail
cd "$(dirname "$0")/../src"
edges=$(grep -rHoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' --include='*.h' --include='*.cpp' . |
    sed -E 's|^\./||; s|:[[:space:]]*#[[:space:]]*include[[:space:]]*"| |; s|"$||' |
    awk '{ split($1, a, "/"); split($2, b, "/");
           from = a[1] "/" a[2]; to = b[1] "/" b[2];
           if (a[1] == "ground") from = "ground"; if (b[1] == "ground") to = "ground";
           if (b[2] ~ /\.h$/) to = b[1];  # a header at a floor'"'"'s top, core/tuning.h
           if (from != to) print from, to }' | sort | uniq -c)
if [ "${1:-}" = "--both-ways" ]; then
    echo "$edges" | awk '{ n[$2 " " $3] = $1 } END { for (k in n) { split(k, p, " ");
        if ((p[2] " " p[1]) in n && p[1] < p[2]) print p[1] " <-> " p[2] } }' | sort
    exit 0
fi
echo "digraph includes {"
echo "  rankdir=TB; node [shape=box, fontname=monospace];"
echo "$edges" | awk '{ printf "  \"%s\" -> \"%s\" [label=%d];\n", $2, $3, $1 }'
echo "}"
