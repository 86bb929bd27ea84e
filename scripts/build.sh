#!/usr/bin/env bash
# Builds the native core, generators and native tests (build/native), then the Windows
# build for each architecture given (build/win-ARCH), i686 when none is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine_env.sh

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(i686)

cmake -S . -B build/native -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/native

for arch in "${archs[@]}"; do
  loader=/usr/lib/wine/wine64
  [ "$arch" = i686 ] && loader=/usr/lib/wine/wine
  cmake -S . -B "build/win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DGENERATED_DIR="$root/build/native/generated" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$loader" >/dev/null
  cmake --build "build/win-$arch"
done
