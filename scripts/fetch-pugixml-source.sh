#!/usr/bin/env bash
# fetch-pugixml-source.sh DEST: puts pugixml's source tree (src/pugixml.cpp,
# CMakeLists.txt) into DEST from Debian's source package, for builds that
# cannot use the distribution's library (the Windows cross build). Adds a
# deb-src entry for the configured Debian mirrors when there is none.
set -euo pipefail
dest=${1:?usage: $0 DEST}
dest=$(realpath -m "$dest")
if [[ -f $dest/src/pugixml.cpp ]]; then exit 0; fi
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
ensure_packages dpkg-source:dpkg-dev

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
if ! apt-get source --print-uris pugixml >/dev/null 2>&1; then
    echo "Adding deb-src entries for the configured Debian archives" >&2
    if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${sudo[@]}" tee /etc/apt/sources.list.d/textresgen-deb-src.sources >/dev/null
    elif [[ -f /etc/apt/sources.list ]]; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            "${sudo[@]}" tee /etc/apt/sources.list.d/textresgen-deb-src.list >/dev/null
    fi
    "${sudo[@]}" apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq pugixml >/dev/null 2>&1) || {
    echo "apt-get source pugixml failed: add a deb-src line for your Debian mirror" >&2
    exit 1
}
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)
if [[ -z $tree || ! -f $tree/src/pugixml.cpp ]]; then
    echo "Debian's pugixml source package holds no src/pugixml.cpp" >&2
    exit 1
fi
mkdir -p "$(dirname "$dest")"
rm -rf "$dest"
mv "$tree" "$dest"
echo "pugixml source: $dest ($(basename "$tree"))" >&2
