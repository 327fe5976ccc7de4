# The scratch world of the window benchmarks, sourced by them after they set
# `screen` (WIDTHxHEIGHT): a HOME with an empty settings folder, removed on
# exit; an X server of its own on a free display that stays up between runs
# (no reset when the program of a run ends); and the readers of the
# program's main-loop meter log, whose path is in $log.
work=$(mktemp -d)
xvfb=
cleanup() {
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config
mkdir -p "$work/config/pictora"
# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${screen}x24" 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
until [[ -s $work/display ]]; do sleep 0.1; done
export DISPLAY=:$(<"$work/display")

# ms MARK: the time of the mark in the log.
ms() { awk -v m="$1" '$1 == "mark" { $1 = ""; t = $2; $2 = ""; sub(/^  /, ""); if ($0 == m) { print t; exit } }' "$log"; }
# stall FROM TO: the longest stall that ended between the two times, and
# the most the main thread ran within one stall (the rest of a stall it
# waited for a processor). A mark written within a stall belongs to the
# work that stall was.
stall() {
  awk -v a="$1" -v b="$2" '$1 == "stall" && $2 + $3 >= a && $2 + $3 <= b { if ($3 > s) s = $3; if ($4 > c) c = $4 }
    END { printf "%.0f/%.0f", s, c }' "$log"
}
