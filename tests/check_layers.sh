#!/usr/bin/env bash
# The layer rule of the source folders, checked on every #include:
#   row 0  engine (and ui, the control list)   row 1  params help
#   row 2  link plot panel                      row 3  acquire recorder lin
#   row 4  app
# A folder may include its own row or below, never above; the includes
# between folders form no cycle; program code includes no Qt header; the
# engine includes no program folder; the simulated pair includes nothing
# of the program (it is the device at the other end of the cable) and only
# app/, which starts it in-process for --simulate, includes it.
# Usage: check_layers.sh [SOURCE_ROOT]   Exit 1 and one line per breach.
set -u
cd "${1:-$(dirname "$0")/..}" || exit 2

rank() {
  case $1 in
    engine|ui) echo 0 ;; params|help) echo 1 ;; link|plot|panel) echo 2 ;;
    acquire|recorder|lin) echo 3 ;; app) echo 4 ;; sim) echo sim ;; *) echo "" ;;
  esac
}
program="params help link plot panel acquire recorder lin app"
folders="engine ui sim $program"
breaches=0
breach() { echo "layers: $*"; breaches=$((breaches + 1)); }

# "from to file:line" for every include of another source folder.
edges=$(for from in $folders; do
  [ -d "$from" ] || continue
  grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' -r "$from" --include='*.h' --include='*.cpp' |
    sed -E 's/^([^:]+:[0-9]+):.*"([a-z]+)\/.*/\2 \1/' |
    while read -r to where; do [ "$to" != "$from" ] && echo "$from $to $where"; done
done)

while read -r from to where; do
  [ -n "$from" ] || continue
  rf=$(rank "$from"); rt=$(rank "$to")
  if [ -z "$rt" ]; then continue; fi
  if [ "$rf" = sim ] || [ "$rt" = sim ]; then
    [ "$from" = app ] && [ "$rt" = sim ] && continue
    breach "$where: $from includes $to (the simulated pair shares no code with the program)"
  elif [ "$rt" -gt "$rf" ]; then
    breach "$where: $from (row $rf) includes $to (row $rt), a row above"
  fi
done <<< "$edges"

# Cycles: a folder that reaches itself through the includes.
pairs=$(awk 'NF { print $1, $2 }' <<< "$edges" | sort -u)
for start in $folders; do
  seen=" "; frontier=$(awk -v f="$start" '$1 == f { print $2 }' <<< "$pairs")
  while [ -n "$frontier" ]; do
    next=""
    for f in $frontier; do
      case "$seen" in *" $f "*) continue ;; esac
      seen="$seen$f "
      next="$next $(awk -v f="$f" '$1 == f { print $2 }' <<< "$pairs")"
    done
    frontier=$(echo $next)
  done
  case "$seen" in *" $start "*) breach "$start reaches itself through includes between folders" ;; esac
done

# Qt stays inside the engine.
for d in $program sim; do
  [ -d "$d" ] || continue
  hits=$(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' -r "$d" --include='*.h' --include='*.cpp')
  [ -n "$hits" ] && breach "Qt header outside the engine: $hits"
done

[ "$breaches" -eq 0 ] && echo "layers: ok"
[ "$breaches" -eq 0 ]
