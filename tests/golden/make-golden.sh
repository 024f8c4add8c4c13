#!/usr/bin/env bash
# Encodes the hand-written expected outputs (*.text, UTF-8, LF) the way the
# generator writes its files: FF FE, UTF-16LE, every line ended by CR LF.
# Run once after editing a *.text file; the tests compare against *.golden.
set -euo pipefail
cd "$(dirname "$0")"
for text in *.text; do
    golden=${text%.text}.golden
    { printf '\xff\xfe'; sed 's/$/\r/' "$text" | iconv -f UTF-8 -t UTF-16LE; } > "$golden"
done
