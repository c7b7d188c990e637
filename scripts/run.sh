#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool. Until the window
# front end lands this is the command-line tool: with no arguments it shows
# its usage, otherwise the arguments go to it (run from the repository root).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release
if [ $# -eq 0 ]; then set -- --help; fi
exec "$root/build/release/app/quiltforger-cli" "$@"
