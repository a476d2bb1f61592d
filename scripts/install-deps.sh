#!/usr/bin/env bash
# Installs every Debian 12 package the build, the program and the tests need. Safe to run again.
set -euo pipefail
pkgs=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6
  libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  firebird3.0-server
  qt6-translations-l10n
  fonts-dejavu-core
  libxlsxwriter-dev zlib1g-dev
  xvfb xauth poppler-utils
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  # No questions: the server package's SYSDBA password prompt takes its default (a random
  # password) and the installation never waits for an answer. The two-desk test starts a server
  # of its own (own port on 127.0.0.1, own users), so a system service, running or not, is not used.
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
