#!/usr/bin/env bash
# Core libraries never include a Qt header; only src/app/ may.
set -euo pipefail
cd "$(dirname "$0")/.."
hits=$(grep -rnE '^\s*#\s*include\s*[<"]Q' src --include='*.h' --include='*.cpp' | grep -v '^src/app/' || true)
if [ -n "$hits" ]; then
  echo "Qt headers included from core folders:"
  echo "$hits"
  exit 1
fi
