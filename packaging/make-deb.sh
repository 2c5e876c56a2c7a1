#!/usr/bin/env bash
# Makes the Debian package of the X11 hack from a native build in which the
# target emberdell is built:
#   packaging/make-deb.sh BUILD_DIR OUT_DIR
# and prints the path of OUT_DIR/emberdell_<version>_<arch>.deb. The version
# is the project version; the dependencies are what the hack links, as
# dpkg-shlibdeps finds them.
set -euo pipefail

BUILD=$(realpath "$1")
OUT=$(mkdir -p "$2" && realpath "$2")
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)

VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
[[ -n $VERSION ]] || { echo "make-deb: no project version in $BUILD/CMakeCache.txt" >&2; exit 1; }
ARCH=$(dpkg --print-architecture)
STAGE=$(mktemp -d)
trap 'rm -rf "$STAGE"' EXIT
PKG="$STAGE/root"

DESTDIR="$PKG" cmake --install "$BUILD" --prefix /usr >/dev/null
HACK="$PKG/usr/libexec/xscreensaver/emberdell"
[[ -x $HACK ]] || { echo "make-deb: $BUILD holds no built hack (target emberdell)" >&2; exit 1; }
# Debian ships programs without their debugging sections.
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$HACK"

DOC="$PKG/usr/share/doc/emberdell"
MAN="$PKG/usr/share/man/man6"
mkdir -p "$DOC" "$MAN"
gzip -9n <"$HERE/debian/changelog" >"$DOC/changelog.gz"
# The licence as the machine-readable copyright file: its header, then the
# licence's text with the copyright line left out, each line indented and
# blank lines written as " .".
{
  cat "$HERE/debian/copyright.in"
  sed -n '/^Permission/,$p' "$ROOT/LICENSE" | sed -e 's/^$/./' -e 's/^/ /'
} >"$DOC/copyright"
sed "s/@VERSION@/$VERSION/" "$HERE/debian/emberdell.6" | gzip -9n >"$MAN/emberdell.6.gz"

# Modes as Debian wants them whatever the umask and the checkout left.
find "$PKG" -type d -exec chmod 0755 {} +
find "$PKG" -type f -exec chmod 0644 {} +
chmod 0755 "$HACK"

# dpkg-shlibdeps reads the package's name from a control file in debian/.
mkdir -p "$STAGE/src/debian"
printf 'Source: emberdell\n\nPackage: emberdell\nArchitecture: any\n' >"$STAGE/src/debian/control"
DEPENDS=$(cd "$STAGE/src" && dpkg-shlibdeps -O "$HACK" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[[ -n $DEPENDS ]] || { echo "make-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
SIZE=$(du -sk --apparent-size "$PKG" | cut -f1)

mkdir -p "$PKG/DEBIAN"
sed -e "s/@VERSION@/$VERSION/" -e "s/@ARCH@/$ARCH/" -e "s/@SIZE@/$SIZE/" -e "s/@DEPENDS@/$DEPENDS/" \
  "$HERE/debian/control.in" >"$PKG/DEBIAN/control"
(cd "$PKG" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$PKG/DEBIAN/md5sums"
chmod 0644 "$PKG/DEBIAN/control" "$PKG/DEBIAN/md5sums"

DEB="$OUT/emberdell_${VERSION}_${ARCH}.deb"
dpkg-deb --root-owner-group -Zxz --build "$PKG" "$DEB" >/dev/null
echo "$DEB"
