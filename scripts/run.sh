#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the sample quiz book.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIZ_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target quiz
exec build/app/quiz examples/general-knowledge.Q
