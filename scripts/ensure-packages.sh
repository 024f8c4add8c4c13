# Sourced by the top-level scripts.
#
# ensure_dependencies PART... installs, with apt-get, what scripts/dependencies.txt
# lists for those parts (generator, tools, tests, windows, fuzz) and is missing.
# ensure_packages CMD:PACKAGE ... does the same for single items; a CMD
# starting with "/" is a file path to test instead of a command.
textresgen_dependency_list="$(dirname "${BASH_SOURCE[0]}")/dependencies.txt"

# Prints "probe:package" for each line of the list whose part is named,
# with @CLANG@ replaced by clang++'s major version.
dependency_items() {
    local clang_major=""
    if grep -q '@CLANG@' "$textresgen_dependency_list" && command -v clang++ >/dev/null 2>&1; then
        clang_major=$(clang++ -dumpversion | cut -d. -f1)
    fi
    local part probe package rest wanted
    while read -r part probe package rest; do
        [[ -z $part || $part == \#* ]] && continue
        for wanted in "$@"; do
            [[ $part == "$wanted" ]] || continue
            if [[ $probe$package == *@CLANG@* && -z $clang_major ]]; then
                echo "scripts/dependencies.txt: $package needs clang++ installed first" >&2
                return 1
            fi
            echo "${probe//@CLANG@/$clang_major}:${package//@CLANG@/$clang_major}"
        done
    done < "$textresgen_dependency_list"
}

ensure_dependencies() {
    local items
    items=$(dependency_items "$@") || return 1
    # shellcheck disable=SC2086  # one item a word
    ensure_packages $items
}

ensure_packages() {
    local missing=() item what package
    for item in "$@"; do
        what=${item%%:*}
        package=${item#*:}
        if [[ $what == - ]]; then
            dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' && continue
        elif [[ $what == /* ]]; then
            [[ -e $what ]] && continue
        else
            command -v "$what" >/dev/null 2>&1 && continue
        fi
        [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Missing: ${missing[*]}. Install them with your system's package manager (see README)." >&2
        return 1
    fi
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}
