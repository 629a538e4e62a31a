#!/usr/bin/env bash
# Fails unless the module exports exactly its eight entry points and no C++ symbol.
set -euo pipefail
module=$1
expected="DllMain
VtxUserDll_GetDllIdentifier
VtxUserDll_GetDllLanguageID
VtxUserDll_GetDllLanguageIDCount
VtxUserDll_GetDllSignature
VtxUserDll_GetSDKVersion
VtxUserDll_IsDebugBuild
VtxUserDll_SetThreadSpecificPtr"
# Sanitizer builds add their runtime's interceptors; only our own names matter here.
actual=$(nm -D --defined-only "$module" | awk '{print $3}' | grep -v -E '^(__(asan|ubsan|tsan|sanitizer|lsan)|_init$|_fini$|_edata$|_end$|__bss_start$)' | sort)
if [ "$actual" != "$expected" ]; then
  echo "unexpected exported symbols:"; diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
if nm -D --defined-only "$module" | awk '{print $3}' | grep -q '^_Z'; then
  echo "C++ symbols exported"; exit 1
fi
echo "exports ok"
