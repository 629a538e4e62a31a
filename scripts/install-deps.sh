#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libboost-dev libboost-thread-dev
          libgtest-dev libbenchmark-dev nlohmann-json3-dev valgrind ccache
          graphviz       # vtxhost dot's output checked by dot -Tsvg
          dpkg-dev file   # the Debian package's library dependencies (cpack -G DEB)
          chromium)       # vtxhost serve's browser test (driven by web/'s playwright-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
# Node.js for the editor's page and its browser test, where the machine has none.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y nodejs npm
fi
# The page's graph library and the browser driver, at the versions web/package-lock.json pins.
root=$(cd "$(dirname "$0")/.." && pwd)
if ! cmp -s "$root/web/package-lock.json" "$root/web/node_modules/.package-lock.json.installed" 2>/dev/null; then
  (cd "$root/web" && npm ci --no-audit --no-fund)
  cp "$root/web/package-lock.json" "$root/web/node_modules/.package-lock.json.installed"
fi
