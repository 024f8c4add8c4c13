# Sourced by the top-level scripts. ensure_packages CMD:PACKAGE ... installs,
# with apt-get, the Debian/Ubuntu package of every command or file that is
# missing. A CMD starting with "/" is a file path to test instead of a command.
ensure_packages() {
    local missing=() item what package
    for item in "$@"; do
        what=${item%%:*}
        package=${item#*:}
        if [[ $what == /* ]]; then
            [[ -e $what ]] && continue
        else
            command -v "$what" >/dev/null 2>&1 && continue
        fi
        missing+=("$package")
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
