#!/usr/bin/env bash
# The folders of src/ are layers: core, then console, then random, transform and inspect
# side by side, then generate (which draws with the twister and finds seas), then app. A
# file may include headers of its own layer and of the layers below it, never of one above.
# Prints every include that points up; exits 1 if any does.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A level=([core]=0 [console]=1 [random]=2 [transform]=2 [inspect]=2 [generate]=3 [app]=4)
bad=0
while IFS= read -r file; do
  from=$(cut -d/ -f2 <<<"$file")
  [[ -n ${level[$from]:-} ]] || { echo "$file: folder $from has no layer" >&2; bad=1; continue; }
  while IFS= read -r included; do
    to=${included%%/*}
    [[ -n ${level[$to]:-} ]] || continue
    if ((level[$to] > level[$from])); then
      echo "$file includes $included: $to lies above $from" >&2
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src -name '*.h' -o -name '*.cpp' | sort)
exit $bad
