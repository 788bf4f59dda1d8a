#!/usr/bin/env bash
# The window on the demo game under Wine and an X server (Xvfb), photographed: the picture is
# kept as OUT.png for people to look at; the test checks that the preview area was painted.
#   screenshot.sh WINE_RUN PREFIX PROGRAM DEMO_GENERATOR OUT.png
# Exit 77 (skipped) without xvfb-run, import or the Linux build's demo game generator; with
# xdotool a wrestler is chosen first.
set -euo pipefail
wine_run=$1 prefix=$2 program=$3 generator=$4 out=$5
for tool in xvfb-run import convert; do
  command -v $tool >/dev/null || { echo "skipped: $tool is missing" >&2; exit 77; }
done
[ -x "$generator" ] || { echo "skipped: no demo game generator at $generator" >&2; exit 77; }

work=$(mktemp -d)
# The prefix draws on X, unlike the null-driver prefix of the other tests; its own server ends
# with the test.
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
"$generator" "$work/demo" 2>/dev/null

cat >"$work/run.sh" <<SCRIPT
#!/usr/bin/env bash
cd "$work/demo"
[ -f "$prefix/system.reg" ] || WINEPREFIX="$prefix" WINEARCH=win64 wineboot --init >/dev/null 2>&1
"$wine_run" "$prefix" "$program" >"$work/program.log" 2>&1 &
# The preview is cleared to red 20, green 20, blue 80 once the window has painted.
for i in \$(seq 1 60); do
  sleep 1
  import -window root "$work/shot.png" 2>/dev/null || continue
  convert "$work/shot.png" -format %c histogram:info: | grep -qi '#141450' && break
  [ \$i -lt 60 ] || exit 1
done
# A wrestler chosen with the keys, as a user would: open Wrestlers, then A, then Ace Harmon.
if command -v xdotool >/dev/null; then
  xdotool key Right a Right Down 2>/dev/null || true
  sleep 2
  import -window root "$work/shot.png"
fi
exit 0
SCRIPT
chmod +x "$work/run.sh"
status=0
xvfb-run -a -s "-screen 0 1280x900x24" "$work/run.sh" || status=$?
[ -f "$work/shot.png" ] && cp "$work/shot.png" "$out"
if [ $status -ne 0 ]; then
  echo "the window did not paint its preview within a minute; see $out" >&2
  cat "$work/program.log" >&2 || true
  exit 1
fi
echo "screenshot: $out"
