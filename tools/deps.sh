#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, but only when one is missing.
set -euo pipefail
PACKAGES=(g++ cmake ninja-build pkg-config ccache qt6-base-dev qt6-multimedia-dev libtag1-dev
          libsqlite3-dev libgtest-dev libbenchmark-dev sqlite3 gstreamer1.0-plugins-base
          gstreamer1.0-plugins-good gstreamer1.0-libav fonts-dejavu-core poppler-utils
          libjpeg-turbo-progs # djpeg: the tests decode every JPEG file the encoder writes
          fonts-liberation2   # Arial, Times New Roman and Courier New metrics for the program's fonts
          fonts-urw-base35    # Nimbus Sans: the print tests also run with it standing in for Arial
          dosfstools fusefat  # a FAT file system of the tests' own, mounted through FUSE
          locales)            # the suite runs under German and French number formats too
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The locales the tests run under besides C.UTF-8: a decimal comma, a point or a narrow space
# between thousands.
for locale in de_DE fr_FR; do
  if ! locale -a 2>/dev/null | grep -qx "$locale.utf8"; then
    echo "Generating the locale $locale.UTF-8"
    $SUDO localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  fi
done
