#!/usr/bin/env bash
# The SDK as its users get it. From the test build tree (scripts/test.sh builds it):
#  1. installs it into a temporary prefix, finds the documentation there (the README, the
#     guide, the example catalog and the vtxhost(1) manual page), builds the installed copy
#     of examples/sdk as a project of its own with only find_package(Vtx), and runs its
#     tests with the installed vtxhost: the check of its module, its patch and its harness
#     tests;
#  2. makes the Debian package, installs it with dpkg, does the same against it (`man
#     vtxhost` included), and removes the package again.
# scripts/package-check.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
# Inside the build tree, at a fixed place, so that the compiler cache serves the next run.
work="$build/package-check"
rm -rf "$work"; mkdir -p "$work"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
package=vtx-sdk
installed=""
# dpkg's notes on shared folders such as /usr/local/bin that stay are not news.
remove() { $SUDO dpkg -r "$package" > /dev/null 2> >(grep -v "not empty so not removed" >&2); }
cleanup() {
  [ -n "$installed" ] && remove
  rm -rf "$work"
}
trap cleanup EXIT

launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

# Fails unless the prefix in $1 holds the documentation: README, guide, example, manual page.
documented() {
  local doc="$1/share/doc/vtx-sdk"
  for file in README.md GUIDE.md examples/sdk/CMakeLists.txt examples/sdk/GUIDE.md examples/sdk/scale.json \
              examples/sdk/SdkExampleTest.cpp; do
    [ -f "$doc/$file" ] || { echo "the package lacks $doc/$file" >&2; exit 1; }
  done
  [ -f "$1/share/man/man1/vtxhost.1" ] || { echo "the package lacks $1/share/man/man1/vtxhost.1" >&2; exit 1; }
}
# Fails unless the manual page shown by man ($@) describes vtxhost's commands.
manual() {
  local page
  page=$(MANWIDTH=100 "$@" 2>&1) || { echo "$* failed: $page" >&2; exit 1; }
  grep -q "vtxhost run PATCH" <<< "$page" && grep -q "VTX_MODULE_PATH" <<< "$page" \
    || { echo "$* shows no vtxhost manual page: $page" >&2; exit 1; }
}
# Builds the installed copy of the example under the prefix $1 out of tree in $2 (extra
# cmake arguments after them) and runs its own tests, with the vtxhost of the SDK it found:
# the check of its module, its patch and, with GoogleTest, its harness tests.
example() {
  local prefix=$1 dir=$2; shift 2
  cmake -S "$prefix/share/doc/vtx-sdk/examples/sdk" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" >/dev/null
  local tested
  tested=$(ctest --test-dir "$dir" --no-tests=error --output-on-failure 2>&1) || { echo "$tested"; exit 1; }
  # GoogleTest is installed wherever this tree's own tests build.
  grep -q "harness .*Passed" <<< "$tested" || { echo "the example's harness tests did not run: $tested" >&2; exit 1; }
}
# Fails unless the example in $1 was built against the SDK whose vtxhost is $2.
built_against() {
  grep -qF "\"$2\"" "$1/CTestTestfile.cmake" || { echo "the example in $1 did not find the SDK of $2" >&2; exit 1; }
}

echo "== install into a prefix, build the example against it"
cmake --install "$build" --prefix "$work/prefix" --strip >/dev/null
if readelf -S "$work/prefix"/lib*/vtx/modules/*.so | grep -q '\.debug_'; then
  echo "installed modules carry debug sections" >&2; exit 1
fi
for module in "$work/prefix"/lib*/vtx/modules/*.so; do
  "$work/prefix/bin/vtxhost" check "$module" >/dev/null || { "$work/prefix/bin/vtxhost" check "$module"; exit 1; }
done
# The installed vtxhost finds the modules installed beside it.
listed=$("$work/prefix/bin/vtxhost" list)
for module in libBrennick2010.so libSdkExample.so; do
  grep -q "/vtx/modules/$module: catalog" <<< "$listed" || { echo "vtxhost list misses $module: $listed" >&2; exit 1; }
done
# The installed vtxhost serves the editor's page installed with it.
for file in index.html editor.js editor.css drawflow.min.js drawflow.min.css; do
  [ -f "$work/prefix/share/vtx/web/$file" ] || { echo "the package lacks share/vtx/web/$file" >&2; exit 1; }
done
served=$(timeout 10 "$work/prefix/bin/vtxhost" serve --folder "$work" 2>&1 | head -1 || true)
grep -q 'is at http://127.0.0.1:' <<< "$served" || { echo "the installed vtxhost serve did not start: $served" >&2; exit 1; }
documented "$work/prefix"
manual man -l "$work/prefix/share/man/man1/vtxhost.1"
example "$work/prefix" "$work/example" -DCMAKE_PREFIX_PATH="$work/prefix"
built_against "$work/example" "$work/prefix/bin/vtxhost"

echo "== Debian package: build, install, build the example against it, remove"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/"$package"_*.deb)
$SUDO dpkg -i "$deb" >/dev/null
installed=yes
prefix=$(grep -m1 '^CMAKE_INSTALL_PREFIX:' "$build/CMakeCache.txt" | cut -d= -f2)
documented "$prefix"
manual man vtxhost
example "$prefix" "$work/example-deb"
built_against "$work/example-deb" "$prefix/bin/vtxhost"
remove
installed=""
echo "package check passed"
