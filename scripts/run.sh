#!/usr/bin/env bash
# Quick start: install what is missing, build, and show the whole job on the shipped demo data.
# With a display, the desktop program opens beside the demo download sites
# (scripts/demo-desktop.sh); without one, the sample product is submitted to every demo site
# without a browser, searched for and reported (scripts/demo-cli.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
mkdir -p build/run-home
export QUILLORA_REGISTRY="${QUILLORA_REGISTRY:-$PWD/build/run-home/registry.dat}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build --preset default --target quillora quillora-demo-sites
  exec scripts/demo-desktop.sh build "$@"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the headless demo instead."
cmake --build --preset default --target quillora-cli quillora-demo-sites
exec scripts/demo-cli.sh build "$@"
