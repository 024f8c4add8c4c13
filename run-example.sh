#!/usr/bin/env bash
# Builds the generator, generates the English and Japanese texts of the
# example under examples/, compiles each into a shared library and runs the
# host, which loads one language after the other. Installs what is missing on
# Debian or Ubuntu.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages cmake:cmake g++:g++ iconv:libc-bin

out=build/example
cmake -S . -B "$out/tool" -DCMAKE_BUILD_TYPE=Release -DTEXTRESGEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$out/tool" -j2 --target textresgen >/dev/null
tool=$PWD/$out/tool/textresgen
define='-D__declspec(x)=__attribute__((visibility("default")))'
for lang in english japanese; do
    dir=$out/$lang
    mkdir -p "$dir"
    cp "examples/$lang.txt" "$dir/TextResouce.txt"
    (cd "$dir" && "$tool")
    g++ -shared -fPIC -ffreestanding -finput-charset=UTF-16LE "$define" \
        -o "$out/lib$lang.so" "$dir/textresouce.cpp"
done
mkdir -p "$out/include"
iconv -f UTF-16 -t UTF-8 "$out/english/textresouce.h" > "$out/include/textresouce.h"
g++ -std=c++17 -I "$out/include" -o "$out/host" examples/host.cpp -ldl
"$out/host" "$out/libenglish.so" "$out/libjapanese.so"
