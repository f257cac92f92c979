#!/usr/bin/env bash
# The desktop program on the demo: starts the demo sites server and opens Quillora on a working
# copy of the shipped data, kept in build/run-home between runs so that your submissions, edits
# and settings stay. Closing the program stops the server.
# Usage: scripts/demo-desktop.sh [BUILD_DIR]   (default: build; the programs must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
app="$build/bin/quillora"
server="$build/bin/quillora-demo-sites"
for program in "$app" "$server"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: build first (cmake --preset default && cmake --build --preset default)" >&2
    exit 1
  fi
done

home="$build/run-home"
mkdir -p "$home/user"
# The first run copies the shipped data; later runs keep working on that copy.
if [ ! -d "$home/data" ]; then cp -r data "$home/data"; fi
export QUILLORA_REGISTRY="${QUILLORA_REGISTRY:-$PWD/$home/registry.dat}"

server_pid=
scratch=$(mktemp -d)
cleanup() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT INT TERM

# The shipped site addresses name port 8765.
mkfifo "$scratch/ready"
"$server" --port 8765 --state "$home/demo-state.json" >"$scratch/ready" &
server_pid=$!
if ! read -r -t 10 ready_line <"$scratch/ready"; then
  echo "the demo server did not start (is port 8765 taken?)" >&2
  exit 1
fi
cat "$scratch/ready" >/dev/null &
echo "$ready_line"
echo "Quillora opens on $home/data; the demo sites' submissions: http://127.0.0.1:8765/api/submissions"
"$app" --data-dir "$home/data" --user-dir "$home/user" "$@"
