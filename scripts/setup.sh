#!/usr/bin/env bash
# Installs the Debian packages that Quirel needs to build, run and test; only the missing ones.
set -euo pipefail

packages=(
  cmake g++ make pkg-config git
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-mincho
  libmariadb-dev mariadb-server-core mariadb-client-core
  libgsf-1-dev libgmime-3.0-dev python3-olefile
  poppler-utils
  libqpdf-dev libdeflate-dev qt6-translations-l10n fonts-noto-cjk
  xvfb xauth x11-utils xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
