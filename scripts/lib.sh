# What the scripts, benchmarks and shell tests share, sourced by each:
# waiting with a deadline, skipping a test whose tools are missing, opening
# the program's settings window, a virtual X display on a free number, Wine's
# environment with its user folders kept inside its prefix, and a sound
# server with a null sink that can be recorded. It sets no shell options of
# its own.

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

# use_wine PREFIX: Wine's environment for everything started from here: a
# 64-bit prefix at PREFIX, no debug output, and no Mono or Gecko installer
# dialogs (nothing here needs .NET or HTML).
use_wine() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# start_null_sink DIR LOG: a PulseAudio server of its own, listening on a
# socket in DIR, whose default sink is a null sink, emberdell_null, standing
# in for a sound card (its monitor lets a test hear what arrived). Exports
# PULSE_SERVER, sets PULSE_PID, writes the server's output to LOG; false when
# the server did not come up. A desktop's own sound server is left alone.
start_null_sink() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  PULSE_RUNTIME_PATH="$dir" PULSE_STATE_PATH="$dir" \
    pulseaudio --daemonize=no --exit-idle-time=-1 --use-pid-file=no -n \
    --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    --load="module-null-sink sink_name=emberdell_null" >"$2" 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/native"
  wait_for 30 _pulse_settled && pactl info >/dev/null 2>&1 || return 1
  pactl set-default-sink emberdell_null
}
_pulse_settled() { ! kill -0 "$PULSE_PID" 2>/dev/null || pactl info >/dev/null 2>&1; }

# record_sink SINK RATE FILE: records SINK's monitor, one channel of 16-bit
# samples at RATE, raw into FILE, in the background until stop_recording_sink;
# sets PAREC_PID.
record_sink() {
  parec -d "$1.monitor" --raw --format=s16le --rate="$2" --channels=1 --latency-msec=20 >"$3" &
  PAREC_PID=$!
}
stop_recording_sink() {
  kill "$PAREC_PID"
  wait "$PAREC_PID" 2>/dev/null || true
  PAREC_PID=""
}
