#!/usr/bin/env bash
# Peak memory of `vantor list` on a bookmark file of many rows, tab-separated
# and as JSON: usage bench/list_memory.sh [BUILD_DIR] [ROWS].
# Uses the firmware-4.05 demo module (no scramble tool run) of a Release build.
set -euo pipefail
build=$(realpath "${1:-build}")
built_home=$build/home
rows=${2:-100000}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$built_home/Config.ini" "$home/"
cp -r "$built_home/header" "$home/"
mkdir -p "$home/bookmarks"
module="$home/vshmain.prx"
cp "$built_home/demo/4.05/vshmain.prx" "$module"
python3 - "$built_home/bookmarks/vshmain.vt" "$home/bookmarks/vshmain.vt" "$(stat -c %s "$module")" "$rows" <<'PY'
import sys
source, target, size, rows = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
# The demo's 4.05 section without its entries, then `rows` entries cycling through the three types.
section, keep = None, []
for line in open(source, encoding='cp1252').read().splitlines():
    if line.startswith('['):
        section = line
    elif section == '[4.05]' and not line.startswith('entry.') and not line.startswith('offset=') and line:
        keep.append(line)
kinds = [('Float', 0), ('Integer', 0), ('String', 12)]
with open(target, 'w', encoding='cp1252', newline='\r\n') as out:
    out.write('[4.05]\n')
    for line in keep:
        out.write(line + '\n')
    out.write('offset=%d\n' % rows)
    for n in range(1, rows + 1):
        kind, length = kinds[n % 3]
        out.write('entry.%d.description=Row %d "quoted" caf\xe9\n' % (n, n))
        out.write('entry.%d.offset=%X\n' % (n, 0x100 + (n * 4) % (size - 0x200)))
        out.write('entry.%d.type=%s\n' % (n, kind))
        out.write('entry.%d.length=%d\n' % (n, length))
        out.write('entry.%d.file=1\n' % n)
PY
measure() {
  local label=$1; shift
  /usr/bin/time -v -o "$home/time" "$built_home/vantor" --home "$home" list "$module" "$@" >"$home/out"
  local kb user wall
  kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$home/time")
  user=$(sed -n 's/.*User time (seconds): //p' "$home/time")
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$home/time")
  printf '%-5s peak %7.1f MB  user %5s s  wall %s  output %6.1f MB\n' "$label" "$(echo "$kb/1024" | bc -l)" \
    "$user" "$wall" "$(echo "$(stat -c %s "$home/out")/1048576" | bc -l)"
  echo "$kb" >"$home/$label.kb"
}
echo "vantor list, $rows rows"
measure tsv
measure json --json
echo "json / tsv peak: $(echo "scale=2; $(cat "$home/json.kb") / $(cat "$home/tsv.kb")" | bc -l)"
