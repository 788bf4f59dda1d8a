# Writers of the game's file formats for the end-to-end tests (sourced, not run).

# A .dat/.idx pair: the record count, then the records (printf %b escapes); the .idx lists the
# byte offset of each record.
write_records() {
  local base=$1; shift
  mkdir -p "$(dirname "$base")"
  printf '%s\r\n' "$#" > "$base.dat"
  : > "$base.idx"
  local record
  for record in "$@"; do
    printf '%s\r\n' "$(wc -c < "$base.dat")" >> "$base.idx"
    printf '%b' "$record" >> "$base.dat"
  done
}

# One record of a circuit's circxdb.dat: 18 lines, the name first.
circuit_wrestler() {
  printf '%b\r\n' "$1"
  for _ in $(seq 17); do printf '0\r\n'; done
}
