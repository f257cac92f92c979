#!/usr/bin/env bash
# Each core folder includes only itself and the folders below it; the front ends and tools may
# include any core folder. A new folder under src/ must be given its place here.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [foundation]=""
  [template]="foundation"
  [sites]="foundation template"
  [pad]="foundation template sites"
  [core]="foundation template sites pad"
  [submit]="foundation template sites pad core"
  [net]="foundation template sites pad core submit"
  [search]="foundation template sites pad core submit net"
  [report]="foundation template sites pad core submit"
  [backup]="foundation template sites pad core submit"
)
front_ends="app cli"

status=0
for dir in src/*/; do
  folder=$(basename "$dir")
  case " $front_ends " in *" $folder "*) continue ;; esac
  if [[ ! -v allowed[$folder] ]]; then
    echo "src/$folder has no place in the layering (scripts/check-layers.sh)"
    status=1
    continue
  fi
  ok=" $folder ${allowed[$folder]} "
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    included=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([a-z_]+)\/.*/\1/' <<<"${hit#*:*:}")
    if [[ "$ok" != *" $included "* ]]; then
      echo "layering: $hit"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$dir" --include='*.h' --include='*.cpp' || true)
done

# File formats that servers read and write from worker threads without the rest of their folder:
# foundation only, and neither the user-interface port nor the program's state (settings).
foundation_only="src/sites/site_index src/sites/ratings_file"
not_for_servers="foundation/ui_port foundation/app_state"
for unit in $foundation_only; do
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    included=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([a-z_]+\/[a-z_]+)\.h".*/\1/' <<<"${hit#*:*:}")
    if [[ "$included" != foundation/* && "$unit" != "src/$included" ]] ||
      [[ " $not_for_servers " == *" $included "* ]]; then
      echo "foundation-only unit: $hit"
      status=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$unit.h" "$unit.cpp" /dev/null || true)
done
[ $status -eq 0 ] && echo "layering ok"
exit $status
