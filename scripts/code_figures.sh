#!/usr/bin/env bash
# The figures a restructuring of the shell is judged by, for one checkout:
# who includes the application header and takes an Application&, shell folder
# pairs that include each other, namespace-scope variables that are not
# constant, functions over 80 lines, files over 450 lines.
#   scripts/code_figures.sh [CHECKOUT]     (default: this one)
# With FIGURES_LIST=1 each figure is followed by what it counted.
# Functions and variables are found by Universal Ctags (Debian universal-ctags).
set -u
tree="$(realpath "${1:-$(dirname "$0")/..}")"
cd "$tree" || exit 1
show() {  # name list-file
    echo "$1: $(grep -c . "$2")"
    [ "${FIGURES_LIST:-0}" = 1 ] && sed 's/^/    /' "$2"
    return 0
}
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

for where in src tests; do
    grep -rlE '#include "shell/app/application_win32.h"' "$where" | sort > "$tmp/includers"
    show "files in $where that include the application header" "$tmp/includers"
    # A parameter or member of that type, not the word in a comment.
    grep -rlE '(^|[^/].*)[(,] *(const )?Application ?&|^ *(const )?Application ?& *[a-z_]+[;,)]' "$where" | sort > "$tmp/takers"
    show "files in $where that take Application&" "$tmp/takers"
done
# Tests that stage a page by writing the application's fields.
grep -rnE '\bapp(\(\)|_)?\.[a-zA-Z_.]+ *= [^=]' tests > "$tmp/assigned"
show "test lines that assign a field of the application" "$tmp/assigned"
if [ -x scripts/include_graph.sh ]; then
    bash scripts/include_graph.sh --both-ways > "$tmp/cycles" 2>&1
else
    echo "(no scripts/include_graph.sh)" > "$tmp/cycles"
fi
show "shell folder pairs that include each other (include_graph.sh --both-ways lines)" "$tmp/cycles"

ctags -R --languages=C++ --langmap=C++:+.h --kinds-C++=fv --fields=+neKZ -o "$tmp/tags" src
python3 - "$tmp/tags" "$tmp/mutable" "$tmp/long" <<'EOF'
import sys
tags, mutable_out, long_out = sys.argv[1:4]
lines_of = {}
def source(path):
    if path not in lines_of:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines_of[path] = f.read().split("\n")
    return lines_of[path]
mutable, long = set(), []
for row in open(tags, encoding="utf-8", errors="replace"):
    if row.startswith("!"):
        continue
    cells = row.rstrip("\n").split("\t")
    name, path = cells[0], cells[1]
    fields = dict(c.split(":", 1) for c in cells[4:] if ":" in c)
    fields["kind"] = cells[3]  # the kind's full name comes first, without a key
    kind, line, end = fields.get("kind"), int(fields.get("line", 0)), int(fields.get("end", 0) or 0)
    if kind == "function" and end and end - line + 1 > 80:
        long.append(f"{path}:{line} {name} ({end - line + 1} lines)")
    if kind == "variable" and fields.get("scope", "namespace:").startswith("namespace:"):
        text = source(path)
        # The declaration's first line: several names may share one statement.
        first = line - 1
        while first > 0 and text[first - 1].rstrip().endswith(","):
            first -= 1
        head = " ".join(text[first:line])
        if "const" not in head.split("=")[0] and "constinit" not in head:
            mutable.add(f"{path}:{line} {name}")
open(mutable_out, "w").write("".join(m + "\n" for m in sorted(mutable)))
open(long_out, "w").write("".join(l + "\n" for l in sorted(long)))
EOF
show "namespace-scope variables that are not constant" "$tmp/mutable"
show "functions over 80 lines" "$tmp/long"
big() {  # folder...
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.cmake' -o -name '*.py' \) \
        -exec wc -l {} + | awk '$2 != "total" && $1 > 450 { print $2 " (" $1 " lines)" }' | sort
}
big src > "$tmp/big"
show "files over 450 lines in src" "$tmp/big"
big tests bench scripts cmake > "$tmp/big"
show "files over 450 lines in tests, bench, scripts, cmake" "$tmp/big"
