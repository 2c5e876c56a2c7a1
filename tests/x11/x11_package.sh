#!/usr/bin/env bash
# The Debian package as a user meets it: it builds, lintian finds no error in
# it, dpkg installs it into a throwaway root, the installed hack burns an
# Xvfb with a delivered style, and removing the package takes every file it
# brought.
source "$(dirname "${BASH_SOURCE[0]}")/x11_lib.sh"
SOURCE=${EMBERDELL_SOURCE:?the source tree}
BUILD=${EMBERDELL_BUILD:?the native build}

DEB=$(bash "$SOURCE/packaging/make-deb.sh" "$BUILD" "$WORK/dist") || fail "the package was not built"
[[ -f $DEB ]] || fail "no package at '$DEB'"
echo "built ${DEB##*/}, $(stat -c %s "$DEB") bytes"

command -v lintian >/dev/null || fail "lintian is missing (scripts/setup installs it)"
lintian --fail-on error "$DEB" >"$WORK/lintian.txt" 2>&1 || { cat "$WORK/lintian.txt"; fail "lintian reports errors"; }
grep -E '^E: ' "$WORK/lintian.txt" && fail "lintian reports errors"

# A root that dpkg can keep its records in; the machine's own stays untouched.
ROOTFS="$WORK/root"
mkdir -p "$ROOTFS/var/lib/dpkg/info" "$ROOTFS/var/lib/dpkg/updates" "$ROOTFS/var/lib/dpkg/triggers"
touch "$ROOTFS/var/lib/dpkg/status" "$ROOTFS/var/lib/dpkg/available"
pkg() { dpkg --root="$ROOTFS" --log=/dev/null --force-depends --force-script-chrootless "$@"; }
pkg -i "$DEB" >"$WORK/dpkg-install.txt" 2>&1 || { cat "$WORK/dpkg-install.txt"; fail "dpkg could not install the package"; }
mapfile -t FILES < <(pkg -L emberdell)
for Wanted in /usr/libexec/xscreensaver/emberdell /usr/share/xscreensaver/config/emberdell.xml \
    "/usr/share/emberdell/Flame Presets/Gas Flame.wyk" /usr/share/emberdell/emberdell-fallback.bmp \
    /usr/share/man/man6/emberdell.6.gz /usr/share/doc/emberdell/copyright /usr/share/doc/emberdell/changelog.gz; do
  [[ -e $ROOTFS$Wanted ]] || fail "the package did not install $Wanted"
  printf '%s\n' "${FILES[@]}" | grep -qxF "$Wanted" || fail "dpkg does not list $Wanted"
done

# The installed hack finds its styles beside it, wherever the root lies.
start_display 320x240
XDG_CONFIG_HOME="$WORK/config" "$ROOTFS/usr/libexec/xscreensaver/emberdell" -root -style gas-flame \
  -background "$ROOTFS/usr/share/emberdell/emberdell-fallback.bmp" >"$WORK/hack.log" 2>&1 &
HACK_PID=$!
STARTED+=("$HACK_PID")
wait_for 30 lit_at_least 10 || { cat "$WORK/hack.log"; fail "the installed hack does not burn"; }
kill "$HACK_PID"
wait_for 10 gone "$HACK_PID" || fail "the installed hack did not stop"

pkg -r emberdell >"$WORK/dpkg-remove.txt" 2>&1 || { cat "$WORK/dpkg-remove.txt"; fail "dpkg could not remove the package"; }
# Only dpkg's own records may stay.
LEFT=$(find "$ROOTFS" -mindepth 1 -not -path "$ROOTFS/var" -not -path "$ROOTFS/var/*" | head -n 5)
[[ -z $LEFT ]] || fail "removing the package left: $LEFT"
echo "the package installs, burns and goes without a trace"
