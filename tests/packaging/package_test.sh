#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, checks what it holds and
# declares, validates its desktop entry and AppStream metainfo, unpacks it into a scratch
# root and runs the unpacked programs from there, the desktop program on its installed
# starter data.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" > "$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack could not build the package"; }
arch=$(dpkg --print-architecture)
deb="$scratch/package/gessoria_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $deb (made: $(ls "$scratch/package"))"

# The files a user expects, at their Debian places.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$scratch/files"
id=io.github.gessoria.Gessoria
for f in /usr/bin/gessoria /usr/bin/gessoria-cli \
         /usr/share/gessoria/Brushes.Dat /usr/share/gessoria/Paints.Dat /usr/share/gessoria/tips.txt \
         /usr/share/gessoria/paints/wood.tif /usr/share/gessoria/sample/monkey.3ds \
         /usr/share/gessoria/manual/README.md /usr/share/gessoria/manual/index.md \
         /usr/share/gessoria/manual/keyboard-shortcuts.md \
         /usr/share/gessoria/blender/gessoria_link/__init__.py /usr/share/gessoria/blender/gessoria_link/wire.py \
         /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
         /usr/share/mime/packages/$id.xml \
         /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/48x48/apps/$id.png \
         /usr/share/icons/hicolor/256x256/apps/$id.png \
         /usr/share/icons/hicolor/48x48/mimetypes/application-x-gessoria-project.png \
         /usr/share/man/man1/gessoria.1.gz /usr/share/man/man1/gessoria-cli.1.gz; do
  grep -qx "$f" "$scratch/files" || fail "the package lacks $f"
done
# Nothing of the build tree (tests, benchmarks, headers) comes along.
if grep -E '/include/|_test|benchmark|/lib/.*\.a$' "$scratch/files"; then fail "the package holds build leftovers"; fi

# Control fields; Depends is computed from the programs' libraries.
[ "$(dpkg-deb -f "$deb" Package)" = gessoria ] || fail "Package"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "Section"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6svg6 libspnav0 qt6-image-formats-plugins; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[[ "$depends" == *"libqt6core6"*"(>="* || "$depends" == *"(>="*"libqt6core6"* ]] || fail "Depends has no versions: $depends"

root="$scratch/root"
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" > "$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q '^Exec=gessoria %f$' "$root/usr/share/applications/$id.desktop" || fail "Exec"
grep -q 'application/x-gessoria-project' "$root/usr/share/applications/$id.desktop" || fail "MimeType"
grep -q 'value="Gessoria Project File' "$root/usr/share/mime/packages/$id.xml" || fail "magic"
# shared-mime-info compiles the types: *.gsr by name and the project header's 22 bytes.
if command -v update-mime-database > /dev/null; then
  mkdir -p "$scratch/mime/packages"
  cp "$root/usr/share/mime/packages/$id.xml" "$scratch/mime/packages/"
  update-mime-database "$scratch/mime" > /dev/null 2>&1 || fail "update-mime-database"
  grep -qx 'application/x-gessoria-project:\*\.gsr' "$scratch/mime/globs" || fail "the .gsr glob"
  grep -aq 'Gessoria Project File' "$scratch/mime/magic" || fail "the project magic"
fi
file "$root/usr/share/icons/hicolor/48x48/apps/$id.png" | grep -q '48 x 48' || fail "48x48 icon"
zcat "$root/usr/share/man/man1/gessoria-cli.1.gz" | grep -q "Gessoria $version" || fail "man page version"

# The unpacked programs, away from the build tree.
cli_version=$("$root/usr/bin/gessoria-cli" --version)
grep -qx "gessoria-cli $version" <<< "$cli_version" || fail "gessoria-cli --version: $cli_version"
grep -q '^Qt 6\.' <<< "$cli_version" || fail "gessoria-cli --version has no Qt version: $cli_version"
[ "$("$root/usr/bin/gessoria" --version)" = "gessoria $version" ] || fail "gessoria --version"
"$root/usr/bin/gessoria" --help | grep -q -- '--grab-size' || fail "gessoria --help"
"$root/usr/bin/gessoria-cli" --help | grep -q -- 'convert' || fail "gessoria-cli --help"

# The desktop program seeds a new data directory from the installed starter data: a line
# only the installed tips file has shows it was used.
echo "; from the installed share folder" >> "$root/usr/share/gessoria/tips.txt"
export QT_QPA_PLATFORM=offscreen GESSORIA_DATA="$scratch/data" GESSORIA_INI="$scratch/gessoria.INI"
(cd "$scratch" && "$root/usr/bin/gessoria" --grab "$scratch/grab.png" --grab-size 640x480 \
   "$root/usr/share/gessoria/sample/monkey.3ds") || fail "gessoria --grab from the unpacked package"
[ -s "$scratch/grab.png" ] || fail "no picture"
grep -q 'from the installed share folder' "$scratch/data/tips.txt" || fail "the data directory was not seeded from the installed data"
cmp -s "$scratch/data/Brushes.Dat" "$root/usr/share/gessoria/Brushes.Dat" || fail "seeded Brushes.Dat"

# An existing data directory is never written over, as after an upgrade.
echo "; my own brushes" >> "$scratch/data/Brushes.Dat"
cp "$scratch/data/Brushes.Dat" "$scratch/mine.Dat"
"$root/usr/bin/gessoria" --grab "$scratch/grab2.png" "$root/usr/share/gessoria/sample/monkey.3ds" ||
  fail "second --grab"
cmp -s "$scratch/data/Brushes.Dat" "$scratch/mine.Dat" || fail "the user's Brushes.Dat was replaced"
echo "package ok: $(basename "$deb")"
