#!/usr/bin/env bash
# Every test book, and every GIFT bank of the corpus imported as a book, exported as GIFT by
# qbook and read back by gift-pegjs, an independent reader (scripts/deps.sh test installs it).
# Usage: check-gift-export.sh QBOOK SOURCE_DIR
set -euo pipefail
qbook=$1
source=$2
modules=$source/tests/.node/node_modules
if ! command -v node >/dev/null || [ ! -d "$modules/gift-pegjs" ]; then
    echo "node or gift-pegjs is missing: run scripts/deps.sh test" >&2
    exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for bank in "$source"/tests/data/corpus/gift/*.gift*; do
    "$qbook" import "$bank" -f gift -o "$out/$(basename "$bank").Q" 2>/dev/null || true
done
for book in "$source"/tests/data/*.Q "$source"/examples/*.Q "$out"/*.Q; do
    "$qbook" export "$book" -o "$out/$(basename "$book" .Q).gift" 2>/dev/null
done
node "$source/tests/interchange/giftparse.js" "$modules" "$out"/*.gift
