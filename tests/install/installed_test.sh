#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs
# as a new user would: the home is seeded from the installed data and links
# the installed scramble tool, found from where the program lies.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$root/usr" >/dev/null
for f in bin/VantorEditor bin/vantor bin/Kestrin libexec/vantoreditor/scramble share/vantoreditor/Config.ini \
  share/applications/vantoreditor.desktop share/mime/packages/vantoreditor-prx.xml \
  share/icons/hicolor/scalable/apps/vantoreditor.svg share/metainfo/io.github.vantoreditor.VantorEditor.metainfo.xml \
  share/man/man1/vantor.1.gz share/man/man1/VantorEditor.1.gz share/man/man1/Kestrin.1.gz \
  share/bash-completion/completions/vantor; do
  [ -e "$root/usr/$f" ] || fail "$f is not installed"
done

# Nothing but the prefix may supply the data: no system-wide install, no home given.
export XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" XDG_DATA_DIRS="$root/nowhere"
unset VANTOR_HOME
mkdir -p "$root/work"
cp "$build/home/demo/vshmain.prx" "$root/work/vshmain.prx"
home="$XDG_CONFIG_HOME/VantorEditor"

info=$("$root/usr/bin/vantor" info "$root/work/vshmain.prx") || fail "vantor info: $info"
grep -qx "version: 5.00" <<<"$info" || fail "the installed bookmarks do not find the version: $info"
[ -f "$home/Config.ini" ] && [ -d "$home/header" ] || fail "the home $home was not seeded"
[ "$(readlink -f "$home/scramble")" = "$(readlink -f "$root/usr/libexec/vantoreditor/scramble")" ] ||
  fail "the home's scramble tool is not the installed one"
# A firmware-5 module is read through the scramble tool the home links.
"$root/usr/bin/vantor" list "$root/work/vshmain.prx" | grep -q "Clock text scale" || fail "vantor list of a scrambled module"

gzip -t "$root"/usr/share/man/man1/*.1.gz || fail "manual pages"
bash -n "$root/usr/share/bash-completion/completions/vantor" || fail "bash completion"
echo "installed layout ok"
