#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libboost-dev libboost-thread-dev
          libgtest-dev libbenchmark-dev nlohmann-json3-dev valgrind ccache
          graphviz       # vtxhost dot's output checked by dot -Tsvg
          dpkg-dev file)  # the Debian package's library dependencies (cpack -G DEB)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
