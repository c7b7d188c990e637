#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window tool from data/,
# where its screen and resources live. Arguments go to the tool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release
cd "$root/data"
exec "$root/build/release/app/quiltforger" "$@"
