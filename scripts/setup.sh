#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is already there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  socat python3 python3-pymodbus python3-serial-asyncio libmodbus-dev
  fonts-dejavu-core fonts-liberation
  locales
  xvfb xdotool x11-utils x11-apps imagemagick
  dpkg-dev file desktop-file-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Locales the tests run under: Turkish (dotted and dotless i) and a decimal-comma locale.
test_locales=(tr_TR.UTF-8 de_DE.UTF-8)
generate=()
for l in "${test_locales[@]}"; do
  # "locale -a" lists tr_TR.UTF-8 as tr_TR.utf8.
  locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8" || generate+=("$l")
done
if [ ${#generate[@]} -gt 0 ]; then
  echo "Generating locales: ${generate[*]}"
  for l in "${generate[@]}"; do
    grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null ||
      echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
fi
