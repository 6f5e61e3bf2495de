#!/usr/bin/env bash
# Fails when a source file includes a file of a layer above its own. Layers,
# bottom up: common, values, bookmarks, document, then grid, vshtool and
# search side by side; widget files (names with window, view or dialog) of any
# folder above every core file; app/ on top. cli/ uses the core only, the
# converter's core common/ only. Tests, benchmarks and fuzz targets may use anything.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() { # folder, is-widget -> rank
  if [[ $2 == 1 ]]; then echo 50; return; fi
  case $1 in
    common) echo 0 ;; values) echo 1 ;; bookmarks) echo 2 ;; document) echo 3 ;;
    grid|vshtool|search) echo 4 ;; converter) echo 1 ;; cli|tools) echo 40 ;; app) echo 60 ;;
    *) echo 99 ;;
  esac
}
is_widget() { [[ $(basename "$1") =~ (window|view|dialog) ]] && echo 1 || echo 0; }

status=0
while IFS= read -r file; do
  from=${file%%/*}
  case $from in tests|bench|fuzz|data|docs) continue ;; esac
  from_widget=$(is_widget "$file")
  [[ $from == app || $from == tools || ( $from == converter && $(basename "$file") == main.cpp ) ]] && from_widget=0
  from_rank=$(rank "$from" "$from_widget")
  [[ $from == app ]] && from_rank=60
  while IFS= read -r included; do
    to=${included%%/*}
    [[ $to == "$included" ]] && continue # a header beside the file
    [[ $to == "$from" && ( $from_widget == 1 || $(is_widget "$included") == 0 ) ]] && continue
    to_rank=$(rank "$to" "$(is_widget "$included")")
    bad=0
    if [[ $from == converter && $from_widget == 0 && $(basename "$file") != main.cpp && $to != common ]]; then
      bad=1
    elif [[ $from == cli && ( $to == app || $(is_widget "$included") == 1 ) ]]; then
      bad=1
    elif [[ $from == converter ]]; then
      [[ $to == app || $to == cli ]] && bad=1
    elif (( to_rank > from_rank )) || { (( to_rank == from_rank )) && [[ $to != "$from" ]] && (( from_rank < 40 )); }; then
      bad=1
    fi
    if [[ $bad == 1 ]]; then
      echo "$file includes $included: a layer above its own" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp')

# Windows change the document through its operations (which the history
# records), never by reaching through to its files, list or settings.
while IFS= read -r file; do
  case ${file%%/*} in tests|bench|fuzz|cli|tools|converter) continue ;; esac
  [[ $(basename "$file") =~ (window|view|dialog) ]] || continue
  if grep -nE '(files|model|settings)\(\)\.(write|set[A-Z]|store[A-Z]|append|remove|sort|add|readValues|markSaved|clear|insert|reorder|renumber)' "$file" >&2; then
    echo "$file changes the document's state without its operations" >&2
    status=1
  fi
done < <(git ls-files '*.h' '*.cpp')
[[ $status == 0 ]] && echo "includes point down only; windows change the document through its operations"
exit $status
