#!/usr/bin/env bash
# Checks the Debian package that `bash build.sh package` made: its fields,
# its file list, that its dependencies are packages this system knows and
# has, that its programs are stripped, and that the programs unpacked from
# it answer --version. Prints the package's size and dependencies.
#   check-package.sh kelvarn_VERSION-1_ARCH.deb
set -euo pipefail
DEB=$1
HERE=$(cd "$(dirname "$0")" && pwd)
VERSION=$(sed -n 's/^project(Kelvarn VERSION \([0-9.]*\).*/\1/p' "$HERE/../../CMakeLists.txt")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

field() { dpkg-deb --field "$DEB" "$1"; }
[ "$(field Package)" = kelvarn ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$VERSION-1" ] || fail "Version: $(field Version), expected $VERSION-1"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "Maintainer, Description"

# Files: what the install check expects, under /usr; directories aside.
diff <(sed 's|^|usr/|' "$HERE/../install/expected-files.txt" | sort) \
  <(dpkg-deb --fsys-tarfile "$DEB" | tar -t | grep -v '/$' | sed 's|^\./||' | sort) ||
  fail "package files differ from the expected list (< expected, > packaged)"

# Dependencies: found by shlibdeps (the libraries the programs link), plus
# Qt's German texts. Each must be a package this system has, so that
# apt-get install of the .deb has nothing unknown to fetch.
DEPENDS=$(field Depends)
NAMES=$(sed 's/([^)]*)//g; s/[|,]/ /g' <<<"$DEPENDS" | tr -s ' ' '\n' | sed '/^$/d')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 \
  libqt6printsupport6 libqt6svg6 libqcustomplot2.1-qt6 qt6-translations-l10n; do
  grep -Fqx "$needed" <<<"$NAMES" || fail "Depends lacks $needed: $DEPENDS"
done
for dep in $NAMES; do
  dpkg-query -W -f='${Status}' "$dep" 2>/dev/null | grep -q "install ok installed" ||
    fail "dependency $dep is not an installed package here"
done

dpkg-deb -x "$DEB" "$WORK/root"
for program in Kelvarn:kelvarn kelvarn-cli kelvarn-cellsim; do
  name=${program%%:*}
  file=$WORK/root/usr/bin/${program##*:}
  file -b "$file" | grep -q ', stripped' || fail "${program##*:} is not stripped"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$file" --version) ||
    fail "${program##*:} --version"
  [ "$out" = "$name $VERSION" ] || fail "${program##*:} --version: '$out'"
done

echo "package check passed: $(basename "$DEB")"
echo "  size: $(stat -c %s "$DEB") bytes, installed size: $(field Installed-Size) KiB"
echo "  depends: $DEPENDS"
