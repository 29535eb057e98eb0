#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and window tests
# without a display, the end-to-end tests in a real X window, and the whole suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIZ_TESTS=ON >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUIZ_SANITIZE=ON -DQUIZ_TESTS=ON >/dev/null
cmake --build build-sanitize --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"
