#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window tool. Arguments are
# images or folders to start with; "pack" or "unpack" as the first argument
# runs the command-line tool instead (run from anywhere).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release
case "${1:-}" in
  pack|unpack|--help|--version) exec "$root/build/release/app/quiltforger-cli" "$@" ;;
  *) exec "$root/build/release/app/quiltforger" "$@" ;;
esac
