#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs from it.
# Usage: check-install.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1
version_number=$2
id=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/quiz bin/qbook share/applications/$id.desktop share/mime/packages/quiz.xml \
         share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/man/man1/quiz.1.gz share/man/man1/qbook.1.gz share/quiz/examples/general-knowledge.Q \
         share/doc/quiz/copyright; do
    [ -s "$prefix/$f" ] || fail "missing $f"
done

[ -x "$prefix/bin/quiz" ] || fail "bin/quiz is not executable"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/quiz" --version) ||
    fail "quiz --version failed"
[ "$version" = "quiz $version_number" ] || fail "quiz --version printed '$version'"

version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/qbook" --version) ||
    fail "qbook --version failed"
[ "$version" = "qbook (quiz) $version_number" ] || fail "qbook --version printed '$version'"

desktop="$prefix/share/applications/$id.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
grep -q '^Exec=quiz %f$' "$desktop" || fail "Exec line"
grep -q '^Categories=.*Education;' "$desktop" || fail "Categories lacks Education"
grep -q '^Categories=.*Qt;' "$desktop" || fail "Categories lacks Qt"
grep -q '^MimeType=application/x-quiz-book;$' "$desktop" || fail "MimeType line"
grep -q "^Icon=$id\$" "$desktop" || fail "Icon line"

# Each icon is a real PNG of its size: width and height stand at bytes 16 to 23.
for size in 16 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    [ -s "$png" ] || { fail "missing $size px icon"; continue; }
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$width $height" = "$size $size" ] || fail "$size px icon is ${width}x$height"
done
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
grep -q '<svg' "$svg" || fail "icon SVG"
# Text in the SVG would need a font that the user may not have: it is drawn as outlines.
! grep -q '<text' "$svg" || fail "icon SVG holds text instead of outlines"

if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database"
    grep -q 'application/x-quiz-book:\*\.q' "$prefix/share/mime/globs2" ||
        fail "the *.q pattern is not registered"
fi

# Every manual (quiz's and any other program's) is compressed, carries the project's version
# and formats without a warning.
for page in "$prefix"/share/man/man1/*; do
    name=$(basename "$page")
    case "$name" in *.1.gz) ;; *) fail "manual $name is not compressed"; continue ;; esac
    zcat "$page" | grep -q "^\.TH [A-Z]* 1 \"[0-9-]*\" \"[a-z]* $version_number\"" ||
        fail "$name: header without version $version_number"
    if command -v groff >/dev/null; then
        warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$name warnings: $warnings"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "$failures installation check(s) failed"
    exit 1
fi
echo "installation checks passed"
