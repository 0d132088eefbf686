#!/bin/bash
# Installs the build into a temporary prefix, then starts the installed
# program with its menu entry's command line against the installed simulated
# pair: it must find its resource file and logo under share/, reach its
# event loop, talk to the pair and end cleanly on SIGTERM.
set -u
build=$1
prefix=$(mktemp -d /tmp/kvor-install-XXXXXX)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "install: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
for f in bin/kvor-scope bin/kvor-sim share/kvor-scope/K-VOR-QX-MS-ScopeV305.uir share/kvor-scope/zu.bmp \
         share/applications/kvor-scope.desktop share/icons/hicolor/scalable/apps/kvor-scope.svg; do
    [ -e "$prefix/$f" ] || fail "$f not installed"
done
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/kvor-scope.desktop")
[ -n "$exec_line" ] || fail "the menu entry has no Exec line"

"$prefix/bin/kvor-sim" --symlink "$prefix/ttySIM" --log >/dev/null 2>"$prefix/sim.log" &
sim_pid=$!
for _ in $(seq 100); do [ -e "$prefix/ttySIM" ] && break; sleep 0.05; done
[ -e "$prefix/ttySIM" ] || fail "kvor-sim made no device"

mkdir -p "$prefix/home"
# The menu entry's command, found on PATH as the desktop would.
HOME="$prefix/home" PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=offscreen KVOR_NO_DIALOGS=1 \
    $exec_line --port 1="$prefix/ttySIM" 2>"$prefix/scope.log" &
pid=$!
in_loop=0
for _ in $(seq 300); do
    sig=$(sed -n 's/^SigCgt:\s*//p' /proc/$pid/status 2>/dev/null)
    [ -n "$sig" ] && (( (16#$sig >> 14) & 1 )) && { in_loop=1; break; }
    sleep 0.02
done
[ $in_loop = 1 ] || { cat "$prefix/scope.log"; fail "the installed program never reached its event loop"; }
sleep 0.5
kill -TERM $pid
wait $pid
rc=$?
[ $rc = 0 ] || { cat "$prefix/scope.log"; fail "ended with $rc"; }
grep -q "cmd 5" "$prefix/sim.log" || fail "the pair heard no echo check"
if grep -qiE "not registered|not found|cannot" "$prefix/scope.log"; then cat "$prefix/scope.log"; fail "errors at start"; fi
echo "install: ok"
