#!/usr/bin/env bash
# Installs the Debian packages Pictora needs. With --tests, also the tools the
# tests use. As root it runs apt-get itself; otherwise it prints the command.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtkmm-3.0-dev libjpeg62-turbo-dev libheif-dev libde265-0
          ffmpeg libimage-exiftool-perl help2man file)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(googletest libgtest-dev xvfb xauth xdotool
             libjpeg-turbo-progs libheif-examples chromium chromium-driver clang libclang-rt-14-dev
             python3-pyatspi python3-gi gir1.2-gtk-3.0 at-spi2-core dbus-daemon
             desktop-file-utils appstream man-db strace openbox x11-utils)
  # The machine's own npm, where one is installed, else Debian's.
  command -v npm >/dev/null || packages+=(npm)
fi

# The accessibility checker the page tests run in Chromium, from the npm
# registry, into .test-tools/ of the source tree (not tracked).
install_axe() {
  local top axe_version=4.10.2
  top=$(cd "$(dirname "$0")/.." && pwd)
  [[ -f "$top/.test-tools/node_modules/axe-core/axe.min.js" ]] && return 0
  command -v npm >/dev/null || return 0
  npm install --prefix "$top/.test-tools" --no-save --no-audit --no-fund "axe-core@$axe_version" >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
  [[ "${1:-}" == "--tests" ]] && install_axe
  exit 0
fi

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "Pictora needs these Debian packages. Please run, as root:" >&2
  echo "  apt-get update && $command" >&2
  exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
[[ "${1:-}" == "--tests" ]] && install_axe
exit 0
