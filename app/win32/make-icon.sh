#!/bin/sh
# Writes an .ico that holds PNG images as they are (Windows Vista and later read them):
#   make-icon.sh OUT.ico 16.png 32.png ...  (each PNG square, at most 256 pixels)
set -eu
out=$1
shift
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
{
  le16 0; le16 1; le16 $#  # reserved, type 1 (icon), number of images
  offset=$((6 + 16 * $#))
  for png in "$@"; do
    # The PNG's width from its IHDR chunk, bytes 16-19 (big-endian).
    side=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    size=$(wc -c <"$png")
    le16 $((side & 255 | (side & 255) << 8))  # width, height (0 means 256)
    le16 0                                   # colours in the palette, reserved
    le16 1; le16 32                          # planes, bits per pixel
    le32 "$size"; le32 "$offset"
    offset=$((offset + size))
  done
  for png in "$@"; do cat "$png"; done
} >"$out"
