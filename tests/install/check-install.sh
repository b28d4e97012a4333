#!/usr/bin/env bash
# Installs the built project into a temporary prefix and checks what a
# desktop and a package need of it: every file in its place and nothing
# else, the desktop entry and the metainfo through their validators, the
# measurement file type through shared-mime-info, icons, man pages, and the
# installed programs answering --version.
#   check-install.sh BUILD-DIR
set -euo pipefail
BUILD=$1
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
PREFIX=$(mktemp -d)
trap 'rm -rf "$PREFIX"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

SIZES="16 22 24 32 48 64 128 256"
expected=$(dirname "$0")/expected-files.txt
diff <(sort "$expected") <(cd "$PREFIX" && find . -type f | sed 's|^\./||' | sort) ||
  fail "installed files differ from $expected (< expected, > installed)"

desktop-file-validate "$PREFIX/share/applications/example.kelvarn.Kelvarn.desktop" ||
  fail "desktop-file-validate"
grep -qx 'MimeType=application/x-kelvarn-measurement;' \
  "$PREFIX/share/applications/example.kelvarn.Kelvarn.desktop" || fail "desktop entry: MimeType"
grep -qx 'Exec=kelvarn %f' "$PREFIX/share/applications/example.kelvarn.Kelvarn.desktop" ||
  fail "desktop entry: Exec"
appstreamcli validate --no-net "$PREFIX/share/metainfo/example.kelvarn.Kelvarn.metainfo.xml" ||
  fail "appstreamcli validate"
grep -q "<release version=\"$VERSION\"" "$PREFIX/share/metainfo/example.kelvarn.Kelvarn.metainfo.xml" ||
  fail "metainfo: release $VERSION"

# The file type as a desktop sees it once the package's trigger has run.
update-mime-database "$PREFIX/share/mime" 2>/dev/null || fail "update-mime-database"
# One glob without the case-sensitive flag (":cs") matches *.dba and *.DBA.
grep -qx '[0-9]*:application/x-kelvarn-measurement:\*\.dba' "$PREFIX/share/mime/globs2" ||
  fail "the file type lacks a glob *.dba that ignores case"

for s in $SIZES; do
  file "$PREFIX/share/icons/hicolor/${s}x${s}/apps/kelvarn.png" | grep -q "PNG image data, $s x $s" ||
    fail "icon ${s}x${s}"
done

for page in kelvarn kelvarn-cli kelvarn-cellsim; do
  zcat "$PREFIX/share/man/man1/$page.1.gz" | head -1 | grep -q "^\.TH .*Kelvarn $VERSION" ||
    fail "man page of $page"
done
grep -q '/usr/share/common-licenses/GPL-3' "$PREFIX/share/doc/kelvarn/copyright" ||
  fail "copyright does not refer to the licence text"

for program in Kelvarn:kelvarn kelvarn-cli kelvarn-cellsim; do
  name=${program%%:*}
  file=${program##*:}
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$PREFIX/bin/$file" --version) ||
    fail "$file --version"
  [ "$out" = "$name $VERSION" ] || fail "$file --version: '$out'"
done
echo "install check passed: $(wc -l <"$expected") files"
