#!/usr/bin/env bash
# Builds the Debian package of Pictora and prints its path: installs what is
# missing, builds BUILD_DIR (default build-package/, without the tests) and
# runs CPack's DEB generator over the install rules. Install the package with
#   apt install ./pictora_VERSION_ARCH.deb
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$top/build-package}")
"$top/scripts/deps.sh"
# The options count only when BUILD_DIR is configured first; a folder that
# already builds the tests (build/, after scripts/test) is used as it is.
"$top/scripts/build.sh" "$dir" -DPICTORA_BUILD_TESTS=OFF >&2
rm -f "$dir"/pictora_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/pictora_*.deb
