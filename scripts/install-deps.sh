#!/usr/bin/env bash
# Installs the Debian packages Brindlemark needs to build and run, when any is missing.
# With --tests also what the test suite uses: independent readers of the files the
# program writes (xlrd, openpyxl, pdftotext, LibreOffice), the fonts a desktop with
# LibreOffice has, and the German, French and US English locales the suite runs under.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libsqlcipher-dev sqlcipher
          libxlsxwriter-dev fonts-dejavu-core)
if [ "${1:-}" = "--tests" ]; then
  packages+=(python3 python3-xlrd python3-openpyxl poppler-utils libreoffice-calc-nogui
             fonts-liberation fonts-dejavu fonts-crosextra-carlito fonts-crosextra-caladea locales)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ "${1:-}" = "--tests" ]; then
  wanted=()
  for l in de_DE fr_FR en_US; do
    locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || wanted+=("$l")
  done
  if [ ${#wanted[@]} -gt 0 ]; then
    echo "Generating locales: ${wanted[*]}"
    for l in "${wanted[@]}"; do
      $SUDO sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    done
    $SUDO locale-gen >/dev/null
  fi
fi
