#!/usr/bin/env bash
# A headless demo on the shipped data: starts the demo sites server, runs the command-line
# program against it in a scratch user folder, prints a short summary and stops the server.
# Usage: scripts/demo-cli.sh [BUILD_DIR]   (default: build; the programs must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cli="$build/bin/quillora-cli"
server="$build/bin/quillora-demo-sites"
for program in "$cli" "$server"; do
  if [ ! -x "$program" ]; then
    echo "missing $program: build first (cmake --preset default && cmake --build --preset default)" >&2
    exit 1
  fi
done

scratch=$(mktemp -d)
# The shipped data folder stays untouched: the demo works on a copy.
cp -r data "$scratch/data"
mkdir -p "$scratch/user"
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT INT TERM

# The shipped addresses name port 8765; the demo takes it when it is free.
port="${QUILLORA_DEMO_PORT:-8765}"
mkfifo "$scratch/ready"
"$server" --port "$port" --state "$scratch/state.json" --slow-search 3000 >"$scratch/ready" &
server_pid=$!
if ! read -r -t 10 ready_line <"$scratch/ready"; then
  echo "the demo server did not start (is port $port taken?)" >&2
  exit 1
fi
# Keep draining the server's output so it never blocks on a full pipe.
cat "$scratch/ready" >/dev/null &
echo "$ready_line"

q() { "$cli" --data-dir "$scratch/data" --user-dir "$scratch/user" --quiet --no "$@"; }
has_command() { "$cli" --help 2>/dev/null | grep -qE "^  $1( |$)"; }

echo "== sites"
q sites list
sites=$(q sites list | tail -n +2 | wc -l)

ran=("sites list")
skipped=()
if has_command submit; then
  echo "== submit --all-visible"
  q submit --all-visible || true
  ran+=("submit")
else
  skipped+=("submit")
fi
if has_command search; then
  echo "== search run"
  q search run --timeout 5 || true
  ran+=("search run")
else
  skipped+=("search run")
fi
# The reports outlive the scratch folder.
out="${QUILLORA_DEMO_OUT:-$build/demo}"
mkdir -p "$out"
if has_command report; then
  echo "== report"
  q report --format text --out "$out/report.txt" && cat "$out/report.txt" || true
  q report --format html --out "$out/report.html" || true
  ran+=("report")
else
  skipped+=("report")
fi

accepted=$(curl -s --max-time 5 "http://127.0.0.1:$port/api/submissions" | grep -c '"site"' || true)
echo "== summary"
echo "sites in the database: $sites"
echo "submissions the demo sites accepted: $accepted"
echo "ran: ${ran[*]}"
if [ -f "$out/report.html" ]; then echo "the report: $out/report.html (and report.txt)"; fi
if [ ${#skipped[@]} -gt 0 ]; then echo "not available yet: ${skipped[*]}"; fi
