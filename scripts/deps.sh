#!/usr/bin/env bash
# Installs the Debian packages the program needs, only those that are missing.
#   scripts/deps.sh          what building and running needs
#   scripts/deps.sh test     also what the whole test suite needs
#   scripts/deps.sh package  also what building the Debian package needs
#   scripts/deps.sh artwork  what scripts/make-artwork.sh needs to draw the pictures
set -euo pipefail

packages=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins fonts-liberation2 libqt6sql6-sqlite
          libsqlite3-dev qt6-charts-dev libqt6opengl6-dev qt6-httpserver-dev qt6-websockets-dev libqrencode-dev)
if [ "${1:-}" = artwork ]; then
    # The glyph is taken from the font as outlines (fontTools) and drawn with librsvg.
    packages=(imagemagick librsvg2-bin python3-fonttools fonts-liberation2)
fi
if [ "${1:-}" = package ]; then
    packages+=(dpkg-dev)
fi
if [ "${1:-}" = test ]; then
    # End-to-end tests in a real X window, the installed files, the accessibility tree, the
    # Debian package (built with dpkg-dev's tools, checked by lintian and appstreamcli), and
    # printed exams read back from their PDFs, and exports read by other programs' readers
    # (xmllint for Moodle XML, Python's csv for CSV).
    packages+=(xvfb xauth xdotool x11-utils openbox imagemagick desktop-file-utils shared-mime-info
               dbus at-spi2-core python3 python3-gi gir1.2-atspi-2.0 libasan8 libubsan1
               lintian appstream dpkg-dev file poppler-utils libxml2-utils nodejs
               chromium chromium-driver python3-selenium)
    # Some builds of nodejs bring their own npm, which Debian's npm package conflicts with.
    command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

# gift-pegjs, an independent GIFT reader that checks the GIFT export, from the npm registry into
# tests/.node (no root needed, nothing installed outside the tree).
giftreader() {
    local dir
    dir="$(dirname "$0")/../tests/.node"
    [ -d "$dir/node_modules/gift-pegjs" ] && return 0
    mkdir -p "$dir"
    npm install --prefix "$dir" --no-save --no-audit --no-fund gift-pegjs@1.0.2
}

if [ ${#missing[@]} -eq 0 ]; then
    [ "${1:-}" = test ] && giftreader
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing. Install them as root, then run this again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
if [ "${1:-}" = test ]; then
    giftreader
fi
