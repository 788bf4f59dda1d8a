# What every end-to-end script starts with (sourced, not run), given the programs' folder:
#   . "$(dirname "$0")/lib/common.bash" "$1"
# bin and cli: the programs; lib: this folder (PYTHONPATH for output.py); tmp: a scratch folder, removed at the end; fail MESSAGE: the
# script fails saying why; write ARGS: the game-file writer; new_game FOLDER: qvm.vrs and an
# empty media folder; run ARGS: the CLI on $game, setting out, err and rc.
bin=$1
lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cli="$bin/qvm-image-wizard-cli"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
write() { "$bin/qvm-game-files" "$@"; }
new_game() {
  mkdir -p "$1/media"
  : > "$1/qvm.vrs"
}
run() { set +e; out=$("$cli" -C "$game" "$@" 2>"$tmp/err"); rc=$?; set -e; err=$(cat "$tmp/err"); }
