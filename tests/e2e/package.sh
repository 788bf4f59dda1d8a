#!/usr/bin/env bash
# The Debian package, made from the build as `make package` makes it, unpacked into a scratch
# root: it holds what `make install` puts under DESTDIR and PREFIX, its installed programs run,
# and lintian and appstreamcli find nothing wrong with it.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
for tool in dpkg-deb dpkg-shlibdeps lintian appstreamcli; do
  command -v $tool >/dev/null || { echo "FAIL: $tool is missing; scripts/install-deps installs it" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$("$build/qvm-image-wizard-cli" --version | cut -d' ' -f2)
deb=$scratch/out/qvm-image-wizard_${version}_$(dpkg --print-architecture).deb
(cd "$build" && cpack -G DEB -B "$scratch/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$scratch/out") \
  >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
[ -f "$deb" ] || fail "no $deb"
(cd "$scratch/out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
root=$scratch/root
dpkg-deb -x "$deb" "$root"

# `make install` with DESTDIR and PREFIX puts the same files in place.
DESTDIR=$scratch/destdir cmake --install "$build" --prefix /opt/wizard >/dev/null
diff <(cd "$root/usr" && find . ! -type d | sort) \
     <(cd "$scratch/destdir/opt/wizard" && find . ! -type d | sort) \
  || fail "the package and make install hold different files (above)"

for f in bin/qvm-image-wizard bin/qvm-image-wizard-cli \
         share/applications/org.qvm7.ImageWizard.desktop \
         share/metainfo/org.qvm7.ImageWizard.metainfo.xml \
         share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/qvm-image-wizard.png \
         share/man/man1/qvm-image-wizard.1.gz share/man/man1/qvm-image-wizard-cli.1.gz \
         share/doc/qvm-image-wizard/changelog.gz share/doc/qvm-image-wizard/copyright; do
  [ -f "$root/usr/$f" ] || fail "$f is not in the package"
done
# Compressed as Debian does (gzip -9n): no name, no time stamp, maximum compression.
for gz in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/doc/qvm-image-wizard/changelog.gz; do
  [ "$(od -An -tx1 -j3 -N6 "$gz" | tr -d ' ')" = 000000000002 ] || fail "$gz is not gzip -9n"
done
grep -qx 'Exec=qvm-image-wizard --choose-folder' "$root/usr/share/applications/org.qvm7.ImageWizard.desktop" \
  || fail "the desktop entry does not ask for the game folder"

# The installed programs, on the demo game.
[ "$("$root/usr/bin/qvm-image-wizard-cli" --version)" = "qvm-image-wizard-cli $version" ] \
  || fail "the installed CLI's --version"
# The window answers --version without a display, as in a terminal over ssh.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/qvm-image-wizard" --version)" \
  = "qvm-image-wizard $version" ] || fail "the installed window's --version"
"$build/qvm-demo-game" "$scratch/demo" >/dev/null
diff -u "$here/expected/demo-tree.txt" <("$root/usr/bin/qvm-image-wizard-cli" -C "$scratch/demo" tree) \
  || fail "the installed CLI's tree of the demo game"
# Its readers of other formats, a module it loads from the installed library folder.
"$root/usr/bin/qvm-image-wizard-cli" -C "$scratch/demo" attach --convert "Tess Marlowe" \
  "$scratch/demo/media/tess_marlowe.png" >/dev/null || fail "the installed CLI's attach --convert"
[ -f "$scratch/demo/media/tess_marlowe.jpg" ] || fail "the installed CLI made no JPEG copy"

appstreamcli validate --no-net "$root/usr/share/metainfo/org.qvm7.ImageWizard.metainfo.xml" \
  >"$scratch/appstream.log" 2>&1 || { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate"; }
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 \
  || { cat "$scratch/lintian.log" >&2; fail "lintian"; }
echo "package: ok"
