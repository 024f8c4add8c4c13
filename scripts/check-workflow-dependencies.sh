#!/usr/bin/env bash
# Fails when the GitHub workflow's install steps, or the README's table of
# dependencies, disagree with scripts/dependencies.txt: the macOS job must
# `brew install` exactly the Homebrew column, the Windows job `vcpkg install`
# exactly the vcpkg column, each job fetch the Unicode data where the column
# says 'fetch', and the README name every Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
list=scripts/dependencies.txt
workflow=.github/workflows/ci.yml
status=0

column() {  # COLUMN-NUMBER: the sorted names of that column, without '-' and 'fetch'
    awk -v c="$1" '!/^#/ && NF >= 5 && $c != "-" && $c != "fetch" { print $c }' "$list" | sort -u
}
installed() {  # TOOL: the sorted names after "TOOL install" in the workflow, triplets stripped
    grep -E "^[[:space:]]*run: $1 install " "$workflow" | sed -E "s/^.*$1 install //" |
        tr ' ' '\n' | sed -E 's/:[a-z0-9-]+$//' | grep -v '^$' | sort -u
}
compare() {  # TOOL COLUMN-NUMBER
    local want have
    want=$(column "$2")
    have=$(installed "$1")
    if [[ $want != "$have" ]]; then
        echo "$workflow: '$1 install' installs [$(echo $have)], $list lists [$(echo $want)]" >&2
        status=1
    fi
    if awk -v c="$2" '!/^#/ && $c == "fetch" { found = 1 } END { exit !found }' "$list"; then
        # The job that runs "TOOL install" must also fetch the Unicode data.
        if ! awk -v tool="$1 install" '
              /^  [a-z-]+:$/ { job = $0 }
              index($0, tool) { has_tool[job] = 1 }
              /fetch-unicode-data\.cmake/ { has_fetch[job] = 1 }
              END { for (j in has_tool) if (!has_fetch[j]) exit 1 }' "$workflow"; then
            echo "$workflow: the job that runs '$1 install' does not run scripts/fetch-unicode-data.cmake" >&2
            status=1
        fi
    fi
}
compare brew 4
compare vcpkg 5

for package in $(awk '!/^#/ && NF >= 5 { print $3 }' "$list" | sed 's/@CLANG@/N/g' | sort -u); do
    if ! grep -qF "\`$package\`" README.md; then
        echo "README.md does not name the Debian package \`$package\` of $list" >&2
        status=1
    fi
done
[[ $status == 0 ]] && echo "Dependencies: the workflow's install steps and the README agree with $list"
exit $status
