#!/usr/bin/env bash
# The layers of the source, bottom to top; a file may include headers of its own layer and of
# the layers below it, never of one above. The faces (the Qt window, the Windows window, the
# command line) sit on top and never include one another.
set -euo pipefail
cd "${1:-.}"

rank() {
  case "$1" in
    platform) echo 0 ;;
    index) echo 1 ;;
    gamedb) echo 2 ;;
    tree) echo 3 ;;
    images) echo 4 ;;
    app | codec) echo 5 ;;
    app/qt | app/win32 | cli) echo 6 ;;
    *) echo "" ;;
  esac
}

# The layer a file or header path belongs to: its folder, app/qt and app/win32 apart from app.
layer() {
  case "$1" in
    app/qt/*) echo app/qt ;;
    app/win32/*) echo app/win32 ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  from=$(layer "$file")
  from_rank=$(rank "$from")
  [ -n "$from_rank" ] || continue
  while IFS= read -r included; do
    to=$(layer "$included")
    to_rank=$(rank "$to")
    [ -n "$to_rank" ] || continue
    if [ "$to_rank" -gt "$from_rank" ] || { [ "$to_rank" -eq 6 ] && [ "$to" != "$from" ]; }; then
      echo "$file includes $included: $from must not depend on $to" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files 'platform/*' 'index/*' 'gamedb/*' 'tree/*' 'images/*' 'codec/*' 'app/*' 'cli/*' |
  grep -E '\.(h|cpp)$')
exit $status
