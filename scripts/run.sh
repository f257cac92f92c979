#!/usr/bin/env bash
# Quick start: install what is missing, build, and run the program on the shipped data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillora-cli
export QUILLORA_REGISTRY="${QUILLORA_REGISTRY:-$PWD/build/run-home/registry.dat}"
mkdir -p build/run-home
exec build/bin/quillora-cli --data-dir data --user-dir build/run-home/ summary "$@"
