#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Quorvane need.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgumbo-dev fonts-wqy-microhei qt6-webengine-dev libqt6sql6-sqlite)
packages+=(python3) # the table-format tests read the files back with its csv and json modules
packages+=(dpkg-dev file desktop-file-utils appstream) # the Debian package and its checks in CI
packages+=(qt6-tools-dev qt6-l10n-tools) # lrelease for the window's English translation
packages+=(libcurl4-openssl-dev zlib1g-dev) # the net engine's transfers; gzip-packed sitemaps
packages+=(libjemalloc-dev) # the net engine's program allocates through jemalloc
packages+=(libsqlite3-dev) # the search file's sort functions, on the SQLite that Qt's plugin links
packages+=(qt6-image-formats-plugins libqt6svg6) # Qt's readers of webp, tiff, svg and the rest
packages+=(openssl nginx-light) # the TLS and HTTP/2 tests make a certificate and serve with it
packages+=(qt6-translations-l10n) # Qt's own buttons and dialogs in Chinese
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
