#!/usr/bin/env bash
# The folders of src/ are layers. A file may include headers of its own folder, of the
# folders below its level and of the other folders of its level, never of one above, and
# never of a folder that its line names as out of bounds. Prints every include that breaks
# the rule; exits 1 if any does. A new folder is one line of the table.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder     level  never includes
layers='
core         0
random       1      console
transform    1      console
inspect      1      console
console      1
generate     2      console tools
tools        2
commands     3      console tools
app          4
'
# The operations (random, transform, inspect) sit beside the console and ask nothing, so
# they never include it; the dialogues of the menu tools (tools) sit above both. generate
# makes natural maps from the operations; commands are plandrix-map's, which asks nothing
# either.

declare -A level forbidden
while read -r folder folder_level never; do
  [[ -n $folder ]] || continue
  level[$folder]=$folder_level
  forbidden[$folder]=" $never "
done <<<"$layers"

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
    elif [[ ${forbidden[$from]} == *" $to "* ]]; then
      echo "$file includes $included: $from never includes $to" >&2
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src -name '*.h' -o -name '*.cpp' | sort)
exit $bad
