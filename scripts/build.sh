#!/usr/bin/env bash
# Configures and builds one flavour of the project into build/<flavour>.
#   scripts/build.sh release   Release build with tests and benchmarks
#   scripts/build.sh asan      Debug build of the tests with ASan and UBSan
#   scripts/build.sh fuzz      clang build of the libFuzzer harnesses
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-release}
shift || true
jobs=${QF_JOBS:-$(nproc)}
case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    args=(-DCMAKE_BUILD_TYPE=Debug -DQF_SANITIZE=ON -DQF_BUILD_BENCH=OFF) ;;
  fuzz)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQF_BUILD_FUZZ=ON -DQF_BUILD_TESTS=OFF
                 -DQF_BUILD_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
# ccache, when installed, lets several checkouts of the tree share compiled objects.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
  args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$root/build/$flavour" -G Ninja "${args[@]}" "$@" >/dev/null
cmake --build "$root/build/$flavour" -j "$jobs"
