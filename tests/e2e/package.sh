#!/usr/bin/env bash
# cmake --install puts the programs, the desktop entry, the icons and the man page in place.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/qvm-image-wizard bin/qvm-image-wizard-cli \
         share/applications/org.qvm7.ImageWizard.desktop \
         share/icons/hicolor/16x16/apps/qvm-image-wizard.png \
         share/icons/hicolor/32x32/apps/qvm-image-wizard.png \
         share/icons/hicolor/128x128/apps/qvm-image-wizard.png \
         share/man/man1/qvm-image-wizard-cli.1; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f not installed" >&2; exit 1; }
done
grep -q '^Exec=qvm-image-wizard --choose-folder$' "$prefix/share/applications/org.qvm7.ImageWizard.desktop" \
  || { echo "FAIL: the desktop entry does not ask for the folder" >&2; exit 1; }
echo "install: ok"
