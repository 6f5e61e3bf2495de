#!/usr/bin/env bash
# What the linker cannot see. Each folder is a target that links only the
# layers below it, so a widget include in a core file, or an app/ include in
# cli/, already fails to compile; but every target sees the whole source tree
# as its include path, so a header of a layer above (used inline, or for a
# declaration only) would pass the build. Layers, bottom up: common; values
# and the converter; bookmarks; document; grid, vshtool and search side by
# side; the XMB pictures (vshtool/preview); their widgets/; cli/ and tools/;
# app/ on top. Tests, benchmarks and
# fuzz targets may use anything.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() { # folder of a file -> its layer
  case $1 in
    common) echo 0 ;; values|converter) echo 1 ;; bookmarks) echo 2 ;; document) echo 3 ;;
    grid|vshtool|search) echo 4 ;; vshtool/preview) echo 5 ;;
    grid/widgets|vshtool/widgets|search/widgets) echo 6 ;;
    cli|tools/*) echo 40 ;; app) echo 60 ;;
    *) echo 99 ;;
  esac
}

status=0
while IFS= read -r file; do
  case ${file%%/*} in tests|bench|fuzz|data|docs) continue ;; esac
  from=$(dirname "$file")
  from_rank=$(rank "$from")
  while IFS= read -r included; do
    to=$(dirname "$included")
    [[ $to == . || $to == "$from" ]] && continue
    to_rank=$(rank "$to")
    # Side by side is no way down either: the converter's core sees common/ only.
    if (( to_rank > from_rank )) || { (( to_rank == from_rank )) && (( from_rank < 40 )); }; then
      echo "$file includes $included: a layer above its own" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp')

# Windows change the document through its operations (which the history
# records), never by reaching through to its files, list or settings.
while IFS= read -r file; do
  [[ $file == app/* || ( $file == */widgets/* && $file != tests/* ) ]] || continue
  if grep -nE '(files|model|settings)\(\)\.(write|set[A-Z]|store[A-Z]|append|remove|sort|add|readValues|markSaved|clear|insert|reorder|renumber)' "$file" >&2; then
    echo "$file changes the document's state without its operations" >&2
    status=1
  fi
done < <(git ls-files '*.h' '*.cpp')
[[ $status == 0 ]] && echo "includes point down only; windows change the document through its operations"
exit $status
