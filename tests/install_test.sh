#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed programs
# from there: they must find their data under <prefix>/share/qlxs, and the
# desktop entry and icon must be where desktop environments look.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "install_test: $*" >&2; exit 1; }
for f in bin/qlxs-cli share/qlxs/QLXSText.ger share/qlxs/QLXSText.usa share/qlxs/help/usa/110.html \
         share/applications/qlxs.desktop share/icons/hicolor/scalable/apps/qlxs.svg; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
grep -q '^Exec=qlxs' "$prefix/share/applications/qlxs.desktop" || fail "the desktop entry does not start qlxs"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
# The installed command line reads the language texts from the prefix.
"$prefix/bin/qlxs-cli" simulate --out1 "$work/a.bin" --out2 "$work/b.bin" --apdus 20 >/dev/null
"$prefix/bin/qlxs-cli" feed "$work/line.lg4" "$work/a.bin" "$work/b.bin" >/dev/null
"$prefix/bin/qlxs-cli" show "$work/line.lg4" --lang usa > "$work/show.txt"
grep -q 'STARTDT act' "$work/show.txt" || fail "the installed qlxs-cli did not render the log"
if [ -x "$prefix/bin/qlxs" ]; then
  "$prefix/bin/qlxs" --help | grep -q -- '--demo' || fail "qlxs --help does not describe --demo"
fi
echo "install_test: ok ($prefix)"
