#!/usr/bin/env bash
# Installs every Debian package plotcare needs to build, test, fuzz and run
# its demo. Idempotent: when everything is there it does nothing. Run as root
# (or with sudo available) on Debian 12.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config ccache git
  clang libclang-rt-14-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # GUI
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # Qt's own words (message box buttons, file dialogs) in German and other
  # languages; the font the windows' fixed layouts are measured with
  qt6-translations-l10n fonts-dejavu-core
  # spooler: libcups for the program, a private cupsd for tests and the demo
  libcups2-dev cups cups-daemon cups-client cups-filters
  # network channel of the virtual printer and the bidirectional library
  libsnmp-dev
  # grantall
  libacl1-dev acl
  # the package test checks the Debian package with lintian
  lintian
  # tests: render sample sheet PDFs and list their images
  poppler-utils
  # demo and screenshots without a desktop
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
