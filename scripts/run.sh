#!/usr/bin/env bash
# Quick start: install what is missing, build, and show the whole job on the shipped demo data:
# the demo download sites start, the sample product is submitted to every site without a
# browser, and the report shows the result (scripts/demo-cli.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillora-cli quillora-demo-sites
export QUILLORA_REGISTRY="${QUILLORA_REGISTRY:-$PWD/build/run-home/registry.dat}"
mkdir -p build/run-home
exec scripts/demo-cli.sh build "$@"
