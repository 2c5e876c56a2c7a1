#!/usr/bin/env bash
# The installer and the portable archive as a user meets them, in a Wine
# prefix of their own (the suite's prefix is left as it was):
#   - a silent install puts the program, its folders, the help page and the
#     licence under Program Files, the screensaver into the system folder,
#     the uninstall entry into the registry and "InstallDir" into the settings
#     files (the per-user copy included, which here already exists);
#   - Emberdell.scr /s, started from the system folder, burns the delivered
#     picture with "Gas Flame", a style that only the program's folder has,
#     and "F" saves a screenshot; /c opens the settings window;
#   - "Save" of an edited delivered style writes into the program's folder
#     (the prefix's user may write there); installing again (an upgrade)
#     leaves one uninstall entry and the user's files, keeps that edit, which
#     then burns with the user's curves, and still renews an unchanged style
#     even when its file time is old;
#   - a silent uninstall removes what the installer put down, the screensaver
#     choice and "InstallDir", and keeps the screenshot, a per-user style, an
#     added picture, the edited delivered style and the user's settings;
#   - the portable archive unpacks into a folder where /s burns the same way.
# Runs on the display that scripts/test set up.
#   install_uninstall.sh SETUP.exe PORTABLE.zip VERSION
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib.sh"

SETUP=$(realpath "$1")
PORTABLE=$(realpath "$2")
VERSION=$3
SKIP=77
require_tools wine wineboot wineserver xdotool import convert unzip
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../../.." && pwd)

WORK=$(mktemp -d)
export WINEPREFIX="$ROOT/build/wineprefix-package"
SCR_PID=""
cleanup() {
  set +e
  [[ -n $SCR_PID ]] && kill "$SCR_PID" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$WINEPREFIX" "$WORK"
}
trap cleanup EXIT
rm -rf "$WINEPREFIX"

BAD=0
fail() { echo "FAIL: $*"; BAD=1; }

echo "creating a Wine prefix of its own"
wineboot -i >/dev/null 2>&1 || true
wait_for 120 test -f "$WINEPREFIX/system.reg" || { echo "FAIL: the Wine prefix was not created"; exit 1; }
keep_wine_user_folders_in_prefix

C="$WINEPREFIX/drive_c"
USER_DIR="$C/users/$(whoami)"
PROGRAM="$C/Program Files/Emberdell"
SYSTEM_SCR="$C/windows/system32/Emberdell.scr"
SHARED_INI="$C/windows/Emberdell Screensaver.ini"
USER_DATA="$USER_DIR/AppData/Roaming/Emberdell"
USER_INI="$USER_DATA/Emberdell Screensaver.ini"
SHOTS="$USER_DIR/Documents/Emberdell Screenshots"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Emberdell'

# Each prints nothing when the file, key or value is missing.
ini_value() { [[ -f $2 ]] && tr -d '\r\0' <"$2" | sed -n "s/^$1=//p" | head -n 1 || true; }
reg_value() {
  { wine reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
    awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
entries() {
  { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null || true; } |
    tr -d '\r' | { grep -ci '\\Emberdell$' || true; }
}

# This user already ran Emberdell where the Windows folder could not be
# written: the per-user settings file holds the settings, and an
# "InstallDir" from that time. The run burns the delivered picture, so that
# its pictures must come from the program's folder too.
mkdir -p "$USER_DATA"
printf '[Main]\r\nInstallDir=C:\\Old\\\r\nActive Presets=~Gas Flame~\r\nActive Backgrounds=Hearth\r\nPlay Fire Sound=0\r\nPlay Chimes Sound=0\r\nAllow Fadeout=0\r\nIgnore Mouse Move=1\r\nLast Screenshot Number=0\r\n' >"$USER_INI"

# --- install ------------------------------------------------------------------
wine "$SETUP" /S || fail "the installer ended with an error"
for F in Emberdell.scr "Emberdell Help.html" License.txt Uninstall.exe "Flame Presets/(Default) Wood.wyk" \
    "Flame Presets/Gas Flame.wyk" "Background Images/Hearth.jpg"; do
  [[ -f "$PROGRAM/$F" ]] || fail "Program Files\\Emberdell\\$F is missing"
done
[[ -f $SYSTEM_SCR ]] || fail "Emberdell.scr is not in the system folder"
[[ -e "$C/windows/system32/Flame Presets" ]] && fail "the system folder got a Flame Presets folder"
[[ $(ini_value InstallDir "$SHARED_INI") == 'C:\Program Files\Emberdell\' ]] ||
  fail "the shared settings file's InstallDir is '$(ini_value InstallDir "$SHARED_INI")'"
[[ $(ini_value InstallDir "$USER_INI") == 'C:\Program Files\Emberdell\' ]] ||
  fail "the per-user settings file's InstallDir is '$(ini_value InstallDir "$USER_INI")'"
# Made by the installer: UTF-16 from its first byte, so that a Greek or
# Cyrillic name the program writes into it later stays whole.
[[ $(head -c 2 "$SHARED_INI" | od -An -tx1 | tr -d ' \n') == fffe ]] ||
  fail "the installer made the shared settings file without the UTF-16 byte-order mark"
[[ $(ini_value 'Active Presets' "$USER_INI") == '~Gas Flame~' ]] || fail "the installer changed the user's settings"
declare -A EXPECTED=(
  [DisplayName]=Emberdell [DisplayVersion]=$VERSION [Publisher]=Emberdell
  [DisplayIcon]='C:\Program Files\Emberdell\Emberdell.scr,0'
  [UninstallString]='"C:\Program Files\Emberdell\Uninstall.exe"'
  [QuietUninstallString]='"C:\Program Files\Emberdell\Uninstall.exe" /S'
)
for Name in "${!EXPECTED[@]}"; do
  Got=$(reg_value "$UNINSTALL_KEY" "$Name")
  [[ $Got == "${EXPECTED[$Name]}" ]] || fail "uninstall entry $Name is '$Got', not '${EXPECTED[$Name]}'"
done
Size=$(reg_value "$UNINSTALL_KEY" EstimatedSize)
# The program alone is a few MB: the size is in KB and counts it.
[[ $Size =~ ^0x[0-9a-f]+$ ]] && (($(printf '%d' "$Size") > 1000)) || fail "EstimatedSize is '$Size'"
echo "installed: files, uninstall entry and InstallDir in place"

# --- runs of the installed screensaver ----------------------------------------
ended() { ! kill -0 "$SCR_PID" 2>/dev/null; }
# "Gas Flame" burns blue; neither the delivered picture nor "(Default) Wood",
# the style a run falls back to, has any blue to speak of. The user's edit of
# it below burns green, which none of them has.
declare -A FLAME_FX=([blue]='b > r + 0.2 && b > 0.35' [green]='g > r + 0.2 && g > b + 0.2 && g > 0.35')
FLAME=blue
flame_pixels() {
  import -window root "$WORK/screen.png" 2>/dev/null || return 1
  convert "$WORK/screen.png" -scale 25% -fx "${FLAME_FX[$FLAME]}" -format '%[fx:round(mean*w*h)]' info:
}
burns() { local N; N=$(flame_pixels) && ((N > 200)); }
run_burns() {  # run_burns WHAT PATH [screenshot]; the flame's colour is $FLAME
  wine "$2" /s &
  SCR_PID=$!
  wait_for 60 emberdell_window_up || { fail "$1: the run's window did not appear"; kill "$SCR_PID"; SCR_PID=""; return; }
  if ! wait_for 30 burns; then
    fail "$1: no $FLAME Gas Flame on the screen ($(flame_pixels) $FLAME pixels; the screen is in build/package-test-screen.png)"
    cp "$WORK/screen.png" "$ROOT/build/package-test-screen.png"
    tr -d '\r' <"$USER_INI"
  fi
  if [[ ${3:-} == screenshot ]]; then
    xdotool key f
    wait_for 30 test -s "$SHOTS/000001.bmp" || fail "$1: F saved no screenshot"
  fi
  xdotool key Escape
  wait_for 60 ended || fail "$1: the run did not end on a key"
  wait "$SCR_PID" || true
  SCR_PID=""
}
run_burns "the system folder's Emberdell.scr /s" "$SYSTEM_SCR" screenshot
counter_is_one() { [[ "$(ini_value 'Last Screenshot Number' "$USER_INI")" == 1 ]]; }
wait_for 30 counter_is_one ||
  fail "the screenshot counter in the per-user file is '$(ini_value 'Last Screenshot Number' "$USER_INI")'"

wine "$SYSTEM_SCR" /c &
SCR_PID=$!
if wait_for 60 emberdell_window_up; then
  xdotool key Escape
  wait_for 60 ended || fail "/c: the settings window did not close on Esc"
else
  fail "/c: the settings window did not open"
  kill "$SCR_PID"
fi
wait "$SCR_PID" || true
SCR_PID=""
echo "the system folder's copy burned with the program folder's style and picture, and /c opened"

# --- the user's own files, and the screensaver choice ---------------------------
mkdir -p "$USER_DATA/Flame Presets"
cp "$PROGRAM/Flame Presets/Windy Night.wyk" "$USER_DATA/Flame Presets/My Style.wyk"
cp "$PROGRAM/Background Images/Hearth.jpg" "$PROGRAM/Background Images/My Picture.jpg"
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d 'C:\windows\system32\Emberdell.scr' /f >/dev/null 2>&1
USER_FILES=("$SHOTS/000001.bmp" "$USER_DATA/Flame Presets/My Style.wyk" "$PROGRAM/Background Images/My Picture.jpg" "$USER_INI")

# As the settings window wrote them on closing.
PRESETS=$(ini_value 'Active Presets' "$USER_INI")

# The user edits "Gas Flame" and presses "Save", which rewrites the style's
# 804-byte record in the program's folder under its own name: here the green
# curve takes what was the blue one and blue goes dark (255 is no intensity).
DELIVERED="$ROOT/resources/Flame Presets"
EDITED="$PROGRAM/Flame Presets/Gas Flame.wyk"
UNCHANGED="$PROGRAM/Flame Presets/Windy Night.wyk"
{
  head -c 292 "$EDITED"
  tail -c +549 "$EDITED" | head -c 256
  head -c 256 /dev/zero | tr '\0' '\377'
} >"$WORK/edited.wyk"
cat "$WORK/edited.wyk" >"$EDITED"
# A file time says nothing about the bytes (a restored backup, a copy that
# kept its time): an unchanged style with an old time is still the
# installer's to renew.
touch -d '2001-01-01 00:00:00' "$UNCHANGED"
OLD_TIME=$(stat -c %Y "$UNCHANGED")

# --- upgrade ------------------------------------------------------------------
wine "$SETUP" /S || fail "the second install ended with an error"
[[ $(entries) == 1 ]] || fail "after a second install there are $(entries) uninstall entries"
for F in "${USER_FILES[@]}"; do [[ -f $F ]] || fail "the second install lost $F"; done
[[ $(ini_value 'Active Presets' "$USER_INI") == "$PRESETS" ]] || fail "the second install changed the user's settings"
cmp -s "$EDITED" "$WORK/edited.wyk" || fail "the second install replaced the user's edit of Gas Flame"
for F in "(Default) Wood.wyk" "Windy Night.wyk"; do
  cmp -s "$PROGRAM/Flame Presets/$F" "$DELIVERED/$F" || fail "after the second install $F is not the delivered style"
done
[[ $(stat -c %Y "$UNCHANGED") != "$OLD_TIME" ]] || fail "the second install did not renew the unchanged Windy Night"
FLAME=green
run_burns "after installing again, Emberdell.scr /s with the edited Gas Flame" "$SYSTEM_SCR"
FLAME=blue
echo "installed again: one uninstall entry, the user's files and edited style kept"

# --- uninstall ----------------------------------------------------------------
# The uninstaller runs from a copy of itself and returns at once.
wine "$PROGRAM/Uninstall.exe" /S || fail "the uninstaller ended with an error"
uninstalled() { [[ ! -e $PROGRAM/Uninstall.exe && ! -e $SYSTEM_SCR && $(entries) == 0 ]]; }
wait_for 60 uninstalled || fail "the uninstaller left the program, its copy or its entry"
Left=$(cd "$PROGRAM" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $Left == './Background Images ./Background Images/My Picture.jpg ./Flame Presets ./Flame Presets/Gas Flame.wyk ' ]] ||
  fail "the program's folder still holds: $Left"
for F in "${USER_FILES[@]}"; do [[ -f $F ]] || fail "the uninstaller removed $F"; done
cmp -s "$EDITED" "$WORK/edited.wyk" || fail "the uninstaller did not leave the user's edit of Gas Flame as it was"
[[ -z $(ini_value InstallDir "$USER_INI") ]] || fail "InstallDir is left in the per-user settings file"
[[ $(ini_value 'Active Presets' "$USER_INI") == "$PRESETS" ]] || fail "the uninstaller changed the user's settings"
[[ ! -f $SHARED_INI || -z $(ini_value InstallDir "$SHARED_INI") ]] || fail "InstallDir is left in the shared settings file"
[[ -z $(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE) ]] || fail "the screensaver choice still names Emberdell"
echo "uninstalled: the program gone, the user's screenshot, styles, picture and settings kept"

# --- the portable archive -----------------------------------------------------
mkdir -p "$C/Portable"
unzip -q "$PORTABLE" -d "$C/Portable"
Unpacked="$C/Portable/Emberdell-$VERSION"
[[ -f "$Unpacked/Emberdell Help.html" && -f "$Unpacked/License.txt" ]] || fail "the archive lacks the help page or the licence"
rm -f "$SHOTS/000001.bmp"
run_burns "the portable Emberdell.scr /s" "$Unpacked/Emberdell.scr"

((BAD)) || echo "the installer, the uninstaller and the portable archive did what a user expects"
exit $BAD
