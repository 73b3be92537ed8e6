#!/usr/bin/env bash
# The install tree is complete, and an installed capture program that cannot
# write beside itself keeps its settings and log/ under the XDG folders.
#   install_tree_test.sh BUILD_DIR WITH_GUI(0|1)
set -euo pipefail
build=$1
gui=$2
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

data=share/velmora-quindle
expected=(share/doc/velmora-quindle/copyright share/doc/velmora-quindle/changelog.gz
  $data/samples/tianma.gpd $data/samples/tianma.gps $data/samples/tracks/tianma-lap.csv
  $data/samples/tracks/SOURCES.md)
programs=(velmora-record gpdtool gps-sim gps-check sample-log)
if [ "$gui" = 1 ]; then
  programs+=(velmora quindle view-shot)
  expected+=(share/applications/velmora.desktop share/applications/quindle.desktop
    share/mime/packages/velmora-quindle.xml
    share/icons/hicolor/scalable/apps/velmora.svg share/icons/hicolor/48x48/apps/quindle.png)
  for cue in 0 1 2 3 4 5; do expected+=("$data/voice/000$cue.wav"); done
fi
for p in "${programs[@]}"; do expected+=("bin/$p" "share/man/man1/$p.1.gz"); done
status=0
for f in "${expected[@]}"; do
  [ -s "$prefix/$f" ] || { echo "not installed: $f"; status=1; }
done
for f in "$prefix"/bin/*; do
  [ -x "$f" ] || { echo "not executable: $f"; status=1; }
done
extra=$(find "$prefix/bin" -type f | wc -l)
[ "$extra" -eq "${#programs[@]}" ] || { echo "bin/ holds $extra files, expected ${#programs[@]}"; status=1; }

# A read-only prefix, as /usr is to its users (root never writes into an installed bin/).
chmod -R a-w "$prefix"
chmod 755 "$work"
# The installed samples open although their user may not write them.
as_user=()
[ "$(id -u)" != 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
samples=$prefix/$data/samples
"${as_user[@]}" "$prefix/bin/gpdtool" info "$samples/tianma.gpd" >/dev/null ||
  { echo "gpdtool cannot read the installed sample log"; status=1; }
out=$("${as_user[@]}" timeout 10 "$prefix/bin/velmora-record" --port /nonexistent "$samples/tianma.gps" 2>&1) || true
case "$out" in *"cannot read course file"*) echo "velmora-record: $out"; status=1 ;; esac
[ "$gui" = 1 ] || exit $status

mkdir -p "$work/run" "$work/tmp"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp QT_QPA_PLATFORM=offscreen VELMORA_UNATTENDED=1
"$prefix/bin/velmora" >"$work/velmora.out" 2>&1 &
pid=$!
for _ in $(seq 100); do [ -d "$XDG_DATA_HOME/velmora-quindle/log" ] && break; sleep 0.1; done
sleep 1
kill -TERM $pid
wait $pid || { echo "velmora ended with status $?:"; cat "$work/velmora.out"; status=1; }
settings=$XDG_CONFIG_HOME/velmora-quindle/velmora.pref
[ "$(stat -c %s "$settings" 2>/dev/null)" = 864 ] || { echo "no 864-byte $settings"; status=1; }
[ -d "$XDG_DATA_HOME/velmora-quindle/log" ] || { echo "no log/ under $XDG_DATA_HOME"; status=1; }
[ ! -e "$HOME/.config" ] || { echo "XDG_CONFIG_HOME ignored"; status=1; }
exit $status
