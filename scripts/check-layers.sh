#!/usr/bin/env bash
# Fails when a layer includes one above it. From the bottom up: platform/ (the Windows
# stand-ins), state/ (module-wide state), sdk/, module/ (the exports, the module signature
# and the factory), then the catalogs; the host's own layers run, signature, kernel,
# modules, patch, check, live, harness, serve; then tools/. A layer may include
# itself and any layer below it, and every layer may include include/vtx.
set -euo pipefail
cd "$(dirname "$0")/.."

# rank of a path's layer; the empty answer for files outside the layered tree
rank() {
  case $1 in
    include/*) echo 0 ;;
    platform/*) echo 1 ;;
    state/*) echo 2 ;;
    sdk/*) echo 3 ;;
    module/*) echo 4 ;;
    catalog/*) echo 5 ;;
    host/run/*) echo 10 ;;
    host/signature/*) echo 11 ;;
    host/kernel/*) echo 12 ;;
    host/modules/*) echo 13 ;;
    host/patch/*) echo 14 ;;
    host/check/*) echo 15 ;;
    host/live/*) echo 16 ;;
    host/harness/*) echo 17 ;;
    host/serve/*) echo 18 ;;
    host/*) echo 19 ;;  # a file outside the host's layers: caught below
    tools/*) echo 20 ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  from=$(rank "$file")
  [ -n "$from" ] || continue
  if [ "$from" = 19 ]; then
    echo "$file: a host file outside the host's layers (host/run, signature, kernel, modules, patch, check, live, harness, serve)"
    status=1
    continue
  fi
  while IFS=: read -r line target; do
    to=$(rank "$target")
    [ -n "$to" ] || continue
    # The host builds on the SDK as any catalog does, but the module's catalog is not its.
    if [ "$to" -gt "$from" ] || { [ "$from" -ge 10 ] && [ "$to" = 5 ]; }; then
      echo "$file:$line: includes \"$target\", which is above its layer"
      status=1
    fi
  done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+"' "$file" \
             | sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')
done < <(git ls-files 'include/*' 'platform/*' 'state/*' 'sdk/*' 'module/*' 'catalog/*' 'host/*' 'tools/*' \
           | grep -E '\.(h|hpp|cpp)$')
[ "$status" = 0 ] && echo "check-layers: no layer includes one above it"
exit "$status"
