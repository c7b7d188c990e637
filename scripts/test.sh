#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test:
#   1. Release build, all tests (display tests under Xvfb with Mesa's software renderer),
#      then its Debian package, unpacked into a scratch root, runs --version;
#   2. unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. every libFuzzer harness for a bounded number of runs on its seed corpus.
# Exits non-zero when any stage fails. QF_FUZZ_RUNS sets the runs per harness,
# QF_FUZZ_SECONDS caps the time one harness may take (slow harnesses stop there).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fuzz_runs=${QF_FUZZ_RUNS:-200000}
fuzz_seconds=${QF_FUZZ_SECONDS:-120}
export LIBGL_ALWAYS_SOFTWARE=1
failed=()

"$root/scripts/setup.sh" || exit 1

stage() { echo; echo "==== $* ===="; }

stage "release build and tests"
if "$root/scripts/build.sh" release; then
  (cd "$root/build/release" &&
   xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)") || failed+=("release tests")
else
  failed+=("release build")
fi

stage "Debian package"
# Built from the release tree, unpacked into a scratch root, and its command
# line run from there (the libraries it needs are the system's).
if [ -x "$root/build/release/app/quiltforger-cli" ]; then
  package_root=$(mktemp -d)
  if (cd "$root/build/release" && cpack -G DEB >"$package_root/cpack.log" 2>&1) &&
     deb=$(ls -t "$root"/build/release/quiltforger_*.deb | head -1) &&
     dpkg -x "$deb" "$package_root/root" &&
     "$package_root/root/usr/bin/quiltforger-cli" --version &&
     [ -f "$package_root/root/usr/share/man/man1/quiltforger-cli.1.gz" ] &&
     [ -f "$package_root/root/usr/share/bash-completion/completions/quiltforger-cli" ]; then
    dpkg-deb -f "$deb" Package Version Depends
  else
    tail -20 "$package_root/cpack.log"
    failed+=("package")
  fi
  rm -rf "$package_root"
else
  failed+=("package (no release build)")
fi

stage "sanitizer build and unit tests"
if "$root/scripts/build.sh" asan; then
  (cd "$root/build/asan" &&
   ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$(nproc)" -L unit) || failed+=("sanitizer tests")
else
  failed+=("sanitizer build")
fi

stage "fuzz harnesses ($fuzz_runs runs or $fuzz_seconds s each)"
if "$root/scripts/build.sh" fuzz; then
  shopt -s nullglob
  for harness in "$root"/build/fuzz/fuzz/*_fuzz; do
    name=$(basename "$harness" _fuzz)
    work=$(mktemp -d)
    seeds="$root/fuzz/corpus/$name"
    [ -d "$seeds" ] || seeds=$work
    echo "-- $name"
    if "$harness" -runs="$fuzz_runs" -max_total_time="$fuzz_seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
         -print_final_stats=1 "$work" "$seeds" >"$work/log" 2>&1; then
      grep -E "stat::number_of_executed_units|Done" "$work/log" | tail -2
    else
      tail -40 "$work/log"
      failed+=("fuzz $name")
    fi
    rm -rf "$work"
  done
else
  failed+=("fuzz build")
fi

echo
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "ALL TESTS PASSED"
