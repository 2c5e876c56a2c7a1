#!/usr/bin/env bash
# The real XScreenSaver daemon, configured to run only emberdell as
# installed: -activate starts it and the screen burns, -deactivate ends it
# with nothing left behind. HOME is a folder of this run, never the user's.
. "$(dirname "$0")/x11_lib.sh"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed (bash scripts/setup)"
start_display 800x600

PREFIX=$WORK/prefix
cmake --install "${EMBERDELL_BUILD:?}" --prefix "$PREFIX" >install.log
Installed=$PREFIX/libexec/xscreensaver/emberdell
[[ -x $Installed ]] || fail "cmake --install put no hack in $PREFIX/libexec/xscreensaver"
[[ -f $PREFIX/share/xscreensaver/config/emberdell.xml ]] || fail "no settings description installed"
[[ -f "$PREFIX/share/emberdell/Flame Presets/(Default) Wood.wyk" ]] || fail "no styles installed"

# The daemon reads $HOME/.xscreensaver: one program, no lock, no fading.
export HOME=$WORK/home
mkdir -p "$HOME"
cat >"$HOME/.xscreensaver" <<EOT
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
timeout: 1:00:00
cycle: 1:00:00
grabDesktopImages: True
programs: $Installed -root -style default-wood \n
EOT

# The daemon never runs hacks for root (its manual: "DON'T LOG IN AS ROOT"),
# so as root it and its commands run as the unprivileged "nobody".
AS=()
if ((EUID == 0)); then
  chown -R nobody:nogroup "$HOME"
  AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# Something on the desktop for the daemon's snapshot to hold: a window with
# a big white X over 100..400 x 100..400.
xlogo -geometry 300x300+100+100 -fg white -bg black 2>/dev/null &
STARTED+=("$!")
wait_for 30 bash -c "xwininfo -root -tree | grep -q xlogo" || fail "the desktop window did not appear"

"${AS[@]}" xscreensaver -no-splash -verbose >daemon.log 2>&1 &
Daemon=$!
STARTED+=("$Daemon")
ready() { "${AS[@]}" xscreensaver-command -time >/dev/null 2>&1; }
wait_for 30 ready || fail "the daemon did not answer: $(tail -n 5 daemon.log)"

hack_running() { pgrep -f "^$Installed" >/dev/null; }
burning() { lit_at_least 5 && [[ $(capture | sort -u | wc -l) -ge 40 ]]; }

"${AS[@]}" xscreensaver-command -activate >/dev/null
wait_for 30 hack_running || fail "-activate started no emberdell: $(tail -n 5 daemon.log)"
wait_for 60 burning || fail "the screen does not burn ($(lit_percent)% lit)"
# The desktop burns, not the shipped picture: the X's crossing is alight,
# the empty desktop far from it is not.
desktop_burns() {
  local R G B
  read -r R G B < <(pixel_at 31 31)
  ((R + G + B > 200)) || return 1
  read -r R G B < <(pixel_at 70 10)
  ((R + G + B < 120))
}
wait_for 30 desktop_burns || fail "the desktop does not burn (centre of the X: $(pixel_at 31 31))"
# Kept for a look: the burning screen as the daemon showed it.
xwd -root -silent | convert xwd:- burning.png || true

"${AS[@]}" xscreensaver-command -deactivate >/dev/null
wait_for 30 bash -c "! pgrep -f '^$Installed' >/dev/null" || fail "emberdell still runs after -deactivate"
"${AS[@]}" xscreensaver-command -exit >/dev/null 2>&1 || true
wait_for 15 gone "$Daemon" || true
echo "the daemon starts emberdell on -activate, the screen burns, -deactivate leaves no process"
