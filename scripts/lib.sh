# What the scripts, benchmarks and shell tests share, sourced by each:
# waiting with a deadline, skipping a test whose tools are missing, opening
# the program's settings window, a virtual X display on a free number, and
# Wine's user folders kept inside its prefix. It sets no shell options of its
# own.

# wait_for SECONDS COMMAND...: true as soon as COMMAND succeeds, false once
# SECONDS have passed. It looks every WAIT_POLL seconds (0.1 unless set).
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep "${WAIT_POLL:-0.1}"
  done
}

# require_tools TOOL...: skips the test (status 77, which ctest reads as
# skipped) when one of the tools is not installed.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
  done
}

# A window captioned as the program's (the settings window or a run's) is shown.
emberdell_window_up() { xdotool search --onlyvisible --name '^Emberdell Screensaver$' >/dev/null 2>&1; }

# open_settings_window SCR [VARIABLE=VALUE...]: starts the program's settings
# window (/c) under Wine in the background, with the variables given, and
# sets SCR_PID; brings the window to the front once it is up. False when it
# does not come within a minute.
open_settings_window() {
  env "${@:2}" wine "$1" /c &
  SCR_PID=$!
  wait_for 60 emberdell_window_up || return 1
  sleep 1
  xdotool search --onlyvisible --name '^Emberdell Screensaver$' windowactivate --sync 2>/dev/null || true
}

# start_xvfb FIRST LAST XVFB-ARGUMENTS...: an Xvfb on the first free display
# number from FIRST to LAST, with the screens and extensions given. A number
# another run takes at the same moment makes it try the next. Exports
# DISPLAY, sets XVFB_PID, and writes the server's output to XVFB_LOG (or
# nowhere); false when no display could be started.
#
# A server resets when its last client leaves: pointer, focus and keyboard
# go back to where a new server has them, which keeps scenarios that drive
# windows by keys independent of the one before. A caller whose clients come
# and go while a probe watches passes -noreset, as a reset refuses
# connections while it lasts.
start_xvfb() {
  local first=$1 last=$2 n pid
  shift 2
  for n in $(seq "$first" "$last"); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -nolisten tcp "$@" >"${XVFB_LOG:-/dev/null}" 2>&1 &
    pid=$!
    if wait_for 20 _xvfb_answers "$pid" ":$n"; then
      export DISPLAY=":$n"
      XVFB_PID=$pid
      return 0
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
  done
  return 1
}
_xvfb_answers() { kill -0 "$1" 2>/dev/null && xdpyinfo -display "$2" >/dev/null 2>&1; }

# A new Wine prefix links the user's Documents, Desktop and other folders to
# the home folder; nothing here writes there, so the links become folders
# inside the prefix. Runs after wineboot has made the prefix.
keep_wine_user_folders_in_prefix() {
  local user_dir link
  user_dir="$WINEPREFIX/drive_c/users/$(whoami)"
  [[ -d $user_dir ]] || return 0
  for link in "$user_dir"/*; do
    [[ -L $link ]] || continue
    rm -f "$link"
    mkdir -p "$link"
  done
}
