#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs from it.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/quiz bin/qbook share/applications/quiz.desktop share/mime/packages/quiz.xml \
         share/icons/hicolor/32x32/apps/quiz.png share/icons/hicolor/scalable/apps/quiz.svg \
         share/man/man1/quiz.1 share/man/man1/qbook.1 share/quiz/examples/general-knowledge.Q; do
    [ -s "$prefix/$f" ] || fail "missing $f"
done

[ -x "$prefix/bin/quiz" ] || fail "bin/quiz is not executable"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/quiz" --version) ||
    fail "quiz --version failed"
case "$version" in *1.0.0*) ;; *) fail "quiz --version printed '$version'" ;; esac

version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/qbook" --version) ||
    fail "qbook --version failed"
case "$version" in "qbook (quiz) 1.0.0") ;; *) fail "qbook --version printed '$version'" ;; esac

desktop="$prefix/share/applications/quiz.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
grep -q '^Exec=quiz %f$' "$desktop" || fail "Exec line"
grep -q '^Categories=.*Education;' "$desktop" || fail "Categories lacks Education"
grep -q '^Categories=.*Qt;' "$desktop" || fail "Categories lacks Qt"
grep -q '^MimeType=application/x-quiz-book;$' "$desktop" || fail "MimeType line"

# The icon is a real 32 by 32 PNG: width and height stand at bytes 16 to 23.
size=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/32x32/apps/quiz.png" | tr -s ' ')
[ "$size" = " 0 0 0 32 0 0 0 32" ] || fail "icon is not 32x32 ($size)"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/quiz.svg" || fail "icon SVG"

if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
    grep -q 'application/x-quiz-book:\*\.q' "$prefix/share/mime/globs2" ||
        fail "the *.q pattern is not registered"
fi

grep -q '^\.TH QUIZ 1' "$prefix/share/man/man1/quiz.1" || fail "man page header"
grep -q '^\.TH QBOOK 1 "2026-12-07" "qbook 1\.0\.0"' "$prefix/share/man/man1/qbook.1" ||
    fail "qbook man page header"
if command -v groff >/dev/null; then
    for page in quiz qbook; do
        warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/$page.1" 2>&1)
        [ -z "$warnings" ] || fail "$page man page warnings: $warnings"
    done
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures installation check(s) failed"
    exit 1
fi
echo "installation checks passed"
