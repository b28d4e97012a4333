#!/usr/bin/env bash
# Checks the Debian package that `bash build.sh package` made: its fields,
# its file list and changelog, that its dependencies are packages this system
# knows and has, that its programs are stripped and hardened, and that the
# programs unpacked from it answer --version. Prints the package's size and
# dependencies.
#   check-package.sh kelvarn_VERSION-1_ARCH.deb
# The Maintainer and Homepage fields are compared with KELVARN_MAINTAINER and
# KELVARN_HOMEPAGE where those are set, as the package was made.
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
if [ -n "${KELVARN_MAINTAINER:-}" ]; then
  [ "$(field Maintainer)" = "$KELVARN_MAINTAINER" ] || fail "Maintainer: $(field Maintainer)"
fi
# No placeholder page: a Homepage only where one was given.
[ "$(field Homepage)" = "${KELVARN_HOMEPAGE:-}" ] ||
  fail "Homepage: '$(field Homepage)', expected '${KELVARN_HOMEPAGE:-}'"
# Wayland desktops get Qt's Wayland plugin.
grep -Eq '(^|, )qt6-wayland(,|$)' <<<"$(field Recommends)" ||
  fail "Recommends lacks qt6-wayland: $(field Recommends)"

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

# The changelog names this version and the package's maintainer.
CHANGELOG=$WORK/root/usr/share/doc/kelvarn/changelog.Debian.gz
head -1 <(zcat "$CHANGELOG") | grep -q "^kelvarn ($VERSION-1) " ||
  fail "changelog.Debian.gz does not begin with version $VERSION-1"
zcat "$CHANGELOG" | grep -Fq -- " -- $(field Maintainer)  " ||
  fail "changelog.Debian.gz is not signed by the maintainer $(field Maintainer)"

# Hardening as dpkg-buildflags gives it: relocations read-only (GNU_RELRO)
# and bound at start (BIND_NOW), the stack protector, fortified functions.
# Each program calls some of the checked variants (__memcpy_chk, ...).
for program in kelvarn kelvarn-cli kelvarn-cellsim; do
  file=$WORK/root/usr/bin/$program
  readelf -lW "$file" | grep -q GNU_RELRO || fail "$program: no GNU_RELRO segment"
  readelf -dW "$file" | grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).* NOW' ||
    fail "$program: not linked with -z now"
  symbols=$(readelf --dyn-syms -W "$file" | awk '{print $8}')
  grep -q '^__stack_chk_fail' <<<"$symbols" || fail "$program: no stack protector"
  grep -Eq '^__[a-z_]+_chk(@|$)' <<<"$symbols" || fail "$program: no fortified functions"
done
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
