#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as a packager and a user would:
# its file list and control fields, lintian, the AppStream metadata, and the program itself
# unpacked into a temporary folder, asked for its version and started on the sample book
# under Xvfb.
# Usage: check-package.sh BUILD_DIR VERSION APP_ID WITH_QBOOK(0|1)
# Exits 77 (skipped) on a system without dpkg.
set -euo pipefail
build=$1
version=$2
id=$3
with_qbook=$4
here=$(cd "$(dirname "$0")" && pwd)

command -v dpkg-deb >/dev/null || { echo "no dpkg here: not a Debian system"; exit 77; }
for tool in cpack dpkg-shlibdeps lintian appstreamcli desktop-file-validate file python3 Xvfb; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh test)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$work/out/quiz_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }

# Exactly these files, nothing left out and nothing more (no tests, no build leftovers).
expected=(
    usr/bin/quiz
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    usr/share/mime/packages/quiz.xml
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
    usr/share/man/man1/quiz.1.gz
    usr/share/doc/quiz/copyright
    usr/share/doc/quiz/changelog.gz
    usr/share/quiz/examples/general-knowledge.Q
)
for size in 16 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
if [ "$with_qbook" = 1 ]; then
    expected+=(usr/bin/qbook usr/share/man/man1/qbook.1.gz)
fi
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" >"$work/files.diff" ||
    fail "package contents differ from the expected list:$(printf '\n%s' "$(cat "$work/files.diff")")"
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print }' | grep . &&
    fail "folders whose permissions are not 755"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $2 != "root/root" { print }' | grep . &&
    fail "files not owned by root"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "control Version"
# Computed from the binaries by dpkg-shlibdeps, plus the plugins that open windows.
depends=" $(dpkg-deb -f "$deb" Depends | sed 's/ *([^)]*)//g; s/,/ /g') "
for package in libqt6widgets6 libqt6core6 libc6 qt6-qpa-plugins libqt6sql6-sqlite libqt6charts6; do
    [[ "$depends" == *" $package "* ]] || fail "Depends lacks $package:$depends"
done
for field in Maintainer Section Description; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "no $field"
done

# Lintian: no error and no warning. The informational tags accepted are listed in the README.
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>&1 ||
    fail "lintian reports errors or warnings"
grep -v 'running with root privileges' "$work/lintian" || true

root=$work/root
dpkg-deb -x "$deb" "$root"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
release_date=$(sed -n "s:.*<release version=\"$version\" date=\"\([0-9-]*\)\".*:\1:p" "$metainfo")
[ -n "$release_date" ] || fail "the metainfo has no release $version"
desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
# The software centre and the file manager must agree on the file type the program opens.
mediatype=$(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$metainfo")
grep -q "^MimeType=$mediatype;\$" "$desktop" || fail "metainfo mediatype '$mediatype' is not the desktop file's"
grep -q "<mime-type type=\"$mediatype\">" "$root/usr/share/mime/packages/quiz.xml" ||
    fail "metainfo mediatype '$mediatype' is not the one defined"
file "$root/usr/bin/quiz" | grep -q ', stripped' || fail "usr/bin/quiz is not stripped"
zcat "$root/usr/share/man/man1/quiz.1.gz" | grep -q "^\.TH QUIZ 1 \"$release_date\" \"quiz $version\"" ||
    fail "the manual is not of version $version of $release_date"

printed=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/quiz" --version) ||
    fail "the unpacked quiz --version failed"
[ "$printed" = "quiz $version" ] || fail "the unpacked quiz --version printed '$printed'"

# The first question of the sample book is answered by its third answer.
python3 "$here/start_unpacked.py" "$root/usr/bin/quiz" \
    "$root/usr/share/quiz/examples/general-knowledge.Q" alt+c ${QUIZ_PACKAGE_SCREENSHOT:+"$QUIZ_PACKAGE_SCREENSHOT"} ||
    fail "the unpacked program did not run the sample book"

if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks passed: $(basename "$deb")"
