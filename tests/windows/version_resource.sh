#!/usr/bin/env bash
# Both programs name the product, the build and what they are in their file properties.
#   version_resource.sh WINE_RUN PREFIX READER VERSION WINDOW.exe CLI.exe
set -euo pipefail
wine_run=$1 prefix=$2 reader=$3 version=$4 window=$5 cli=$6
numbers=$version
while [ "$(tr -cd . <<<"$numbers" | wc -c)" -lt 3 ]; do numbers=$numbers.0; done
status=0
while IFS='|' read -r program description; do
  want="file version $numbers
product version $numbers
FileDescription: $description
FileVersion: $version
ProductName: QVM 7 Visualizer Image Wizard
ProductVersion: $version
OriginalFilename: $(basename "$program")"
  if ! diff -u <(echo "$want") <("$wine_run" "$prefix" "$reader" "Z:$program" | tr -d '\r'); then
    echo "FAIL: the file properties of $program (above)" >&2
    status=1
  fi
done <<TABLE
$window|QVM 7 Visualizer Image Wizard
$cli|QVM 7 Visualizer Image Wizard command-line companion
TABLE
[ $status -eq 0 ] && echo "version_resource: ok"
exit $status
