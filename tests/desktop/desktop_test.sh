#!/usr/bin/env bash
# Tarvexel against real windows: a desktop of its own (a virtual X display
# with a real window manager, or a headless Wayland compositor or shell),
# and helper windows that write down what was done to them. Each case starts and stops
# its own desktop, so no case sees another's windows, and nothing is left
# running. The cases are written once; the functions under "The desktops"
# give each system's way of starting it, opening a window and telling which
# window is in front.
#
# Usage: desktop_test.sh SYSTEM CASE, with TARVEXEL, TARVEXEL_INSPECT,
# X11_WINDOW_HELPER and WAYLAND_WINDOW_HELPER naming the programs,
# TARVEXEL_DESKTOP_FILE and TARVEXEL_INSPECT_DESKTOP_FILE the desktop files
# the build made for KWin, and
# KDE_WINDOWS and WLR_WINDOWS the tests' programs that list KWin's and the
# other wlroots-style compositors' windows,
# GNOME_EXTENSION_BUILDS the folder of the built GNOME Shell extension's
# builds (43/UUID and 45/UUID), and TARVEXEL_BUILD the build folder (for the
# case that installs it).
# SYSTEM: openbox or twm (X11), sway, kwin or labwc (Wayland), gnome (GNOME
# Shell 43 and later on Wayland).
# desktop_test.sh SYSTEM --run COMMAND...: runs COMMAND (a benchmark, say)
# on a desktop of its own, in the desktop's environment, then stops it.
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing; in CI,
# where .ci/install installs every tool, a missing one fails instead).
set -u

tarvexel=${TARVEXEL:-}
inspect=${TARVEXEL_INSPECT:-}
here=$(cd "$(dirname "$0")" && pwd)
system=$1
case_name=$2

readonly kNotice=$'設定画面が開く予定ですが、まだ作成中です。\nごめんなさいm(_ _)m'

skip() {
  echo "SKIPPED: $*"
  exit 77
}

fail() {
  echo "FAIL [$system.$case_name]: $*"
  exit 1
}

# The X11 helper hears requests to the window manager about itself.
is_x11() { [[ $system == openbox || $system == twm ]]; }

# Compositors other than sway that speak wlroots' foreign-toplevel
# management, known to the tests only through what any client may see.
is_wlr() { [[ $system == labwc ]]; }

# On GNOME the test's windows are those of the Wayland helper, and the shell
# is asked about them through the extension (gnome_shell.js).
if is_x11; then
  tools=(Xvfb openbox twm xprop xdotool xauth xmessage /usr/bin/python3)
  helper=${X11_WINDOW_HELPER:-}
elif [[ $system == sway ]]; then
  tools=(sway swaymsg setpriv setsid python3)
  helper=${WAYLAND_WINDOW_HELPER:-}
elif [[ $system == gnome ]]; then
  tools=(gnome-shell dbus-run-session dbus-daemon gsettings gjs gdbus unshare nsenter foot zenity
    Xwayland xprop xdotool)
  helper=${WAYLAND_WINDOW_HELPER:-}
elif is_wlr; then
  tools=("$system" setpriv setsid python3)
  helper=${WAYLAND_WINDOW_HELPER:-}
else
  tools=(kwin_wayland Xwayland setsid)
  helper=${WAYLAND_WINDOW_HELPER:-}
fi
# need TOOL: skips the case where TOOL is missing, and fails it in CI.
need() {
  command -v "$1" >/dev/null && return
  [[ ${CI:-} != true ]] || fail "$1 is not installed, and CI runs every desktop case"
  skip "$1 is not installed"
}

# A key bound on sway or labwc is pressed through a virtual keyboard.
[[ $case_name != bind_key || ( $system != sway && $system != labwc ) ]] || tools+=(wtype)
for tool in "${tools[@]}"; do need "$tool"; done

# Run from a desktop session, a case still meets only the desktop it starts:
# none of the session's own displays, buses or desktop names reach it.
unset DISPLAY XAUTHORITY WAYLAND_DISPLAY SWAYSOCK I3SOCK HYPRLAND_INSTANCE_SIGNATURE \
  DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP XDG_SESSION_TYPE

work=$(mktemp -d)
pids=()
sockets=()
sessions=()

# Helpers first, then the window manager, then the display: in reverse. A
# negative pid stands for a process group: a compositor and what it started.
# A session in a PID namespace of its own ends as a whole when the process
# that made the namespace is killed (unshare keeps SIGTERM for itself).
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    stop "${pids[i]}"
  done
  # A shell with an X display of its own removes the display's lock files
  # as it ends; killed with its namespace, it would leave them to hold the
  # display numbers of every later shell.
  if [[ -n ${shell_x11:-} && -n ${session_init:-} ]]; then
    pkill -TERM --ns "$session_init" --nslist pid -x gnome-shell 2>/dev/null &&
      wait_until 5 eval '! pgrep --ns "$session_init" --nslist pid -x gnome-shell >/dev/null'
  fi
  for i in "${sessions[@]}"; do
    kill -KILL "$i" 2>/dev/null
    wait "$i" 2>/dev/null
  done
  rm -f "${sockets[@]}"
  [[ -n ${KEEP_WORK:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# stop PID: asks the process (for a negative PID, its process group) to
# end, and ends it within five seconds if it does not: a program that hangs
# in its own shutdown must not hang the suite.
stop() {
  local pid=${1#-} state
  kill -- "$1" 2>/dev/null
  for _ in {1..50}; do
    read -r _ _ state _ 2>/dev/null <"/proc/$pid/stat" || break
    [[ $state != Z ]] || break
    sleep 0.1
  done
  kill -KILL -- "$1" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false when the
# time is up.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

has_line() { grep -q "$2" "$1" 2>/dev/null; }

# start_display: a new virtual display, which DISPLAY then names; its
# server's process id is xvfb_pid.
start_display() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  pids+=($!)
  wait_until 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY  # run from a Wayland session, the X11 cases still meet Xvfb
}

# A window manager that has only just started may still miss a window
# mapped in that moment, and leave it unmanaged for good. It is ready once
# it takes in a probe window; a probe that it missed is replaced.
wait_for_window_manager() {
  local probe
  rm -f "$work/probe.log"
  for _ in {1..10}; do
    "$helper" "$work/probe.log" --class Probe &
    probe=$!
    if wait_until 1 has_line "$work/probe.log" '^ready'; then
      kill "$probe"
      wait "$probe" 2>/dev/null
      return
    fi
    kill "$probe"
    wait "$probe" 2>/dev/null
  done
  fail "the window manager did not start: $(cat "$work/wm.log")"
}

start_openbox() {
  start_display
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  pids+=($!)
  wait_for_window_manager
}

# twm knows nothing of EWMH: no client list, no active window. It places
# windows at once instead of waiting for a click.
start_twm() {
  start_display
  printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$work/twmrc"
  twm -f "$work/twmrc" >"$work/wm.log" 2>&1 &
  pids+=($!)
  wait_for_window_manager
}

# Headless wlroots compositors, as a user would run them: sway refuses to
# run as root, so each runs as nobody, in a runtime folder of its own,
# with wlroots' headless back end and its software renderer. Its own
# start-up hook runs $home/ready.sh, which writes the socket's name (and
# sway's own, and labwc's process) once the compositor is up; Tarvexel
# and the helper windows, run as root, connect to it there.
# compositor_home NAME: makes that folder, home, with ready.sh in it.
compositor_home() {
  home=$work/$1
  chmod 711 "$work"
  mkdir -p "$home/run"
  printf '%s\n' '#!/bin/sh' \
    "echo \"\$WAYLAND_DISPLAY \${SWAYSOCK:--} \${DISPLAY:--} \${LABWC_PID:--}\" >$home/ready.part && mv $home/ready.part $home/ready" \
    >"$home/ready.sh"
  chmod +x "$home/ready.sh"
}

# run_compositor NAME [VARIABLE=VALUE...] -- COMMAND...: runs COMMAND as
# nobody in the home compositor_home made, once its configuration is
# written, and waits until it is up.
run_compositor() {
  local name=$1 variables=()
  shift
  while [[ $1 != -- ]]; do variables+=("$1"); shift; done
  shift
  chown -R 65534:65534 "$home"
  chmod 700 "$home/run"
  env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home/run" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${variables[@]}" \
    setsid setpriv --reuid=65534 --regid=65534 --clear-groups "$@" >"$work/wm.log" 2>&1 &
  pids+=("-$!")
  echo $! >"$work/compositor.pid"
  wait_until 20 test -s "$home/ready" || fail "$name did not start: $(tail -n 30 "$work/wm.log")"
  read -r WAYLAND_DISPLAY SWAYSOCK DISPLAY LABWC_PID <"$home/ready"
  export WAYLAND_DISPLAY XDG_RUNTIME_DIR=$home/run
  [[ $SWAYSOCK != - ]] && export SWAYSOCK || unset SWAYSOCK
  [[ $DISPLAY != - ]] && export DISPLAY || unset DISPLAY
  [[ $LABWC_PID != - ]] && export LABWC_PID || unset LABWC_PID
}

# sway_rule: lines of sway's configuration that a case needs. Set
# sway_xwayland for an X display of sway's own (DISPLAY), through XWayland.
# The configuration is where its user keeps it, ~/.config/sway/config.
start_sway() {
  compositor_home sway
  local xwayland='xwayland disable'
  if [[ -n ${sway_xwayland:-} ]]; then
    xwayland='xwayland enable'
    [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix
  fi
  mkdir -p "$home/.config/sway"
  printf '%s\n' "$xwayland" "${sway_rule:-}" "exec $home/ready.sh" >"$home/.config/sway/config"
  run_compositor sway -- sway -c "$home/.config/sway/config"
}

# labwc runs its -s command once it is up. labwc_keyboard: a <keyboard>
# for its rc.xml.
start_labwc() {
  compositor_home labwc
  mkdir -p "$home/config"
  printf '%s\n' '<?xml version="1.0"?>' '<labwc_config><core><xwaylandPersistence>no</xwaylandPersistence></core>' \
    "${labwc_keyboard:-}</labwc_config>" >"$home/config/rc.xml"
  run_compositor labwc -- labwc -C "$home/config" -s "$home/ready.sh"
}

# Headless KWin. The installed kwin_wayland carries a file capability that
# a sandbox may refuse to grant: a copy of it (still named kwin_wayland,
# which its plugins look for) runs without. It starts the readiness script
# once it is up. KWin lends its window management only to programs a
# desktop file declares, unless KWIN_WAYLAND_NO_PERMISSION_CHECKS says
# otherwise: set kwin_checks_permissions to keep the check. KWin finds
# those files through KDE's index of desktop files, which KDE Frameworks 6
# builds only from an applications menu: a Plasma session has its own
# (plasma-workspace's, named by XDG_MENU_PREFIX), KWin alone has none, so
# the case gives it the smallest menu, which takes in every desktop file.
# Set kwin_xwayland for an X display of its own (DISPLAY); kwin_shortcuts
# for its global shortcuts (kglobalaccel, in KWin's own process), on a
# session bus of its own (DBUS_SESSION_BUS_ADDRESS); kwin_desktops for that
# many virtual desktops in a row (KWin starts with one).
start_kwin() {
  local home=$work/kwin bus
  mkdir -p "$home/bin" "$home/run" "$home/data/applications" "$home/config/menus"
  echo '<Menu><Name>Applications</Name><DefaultAppDirs/><Include><All/></Include></Menu>' \
    >"$home/config/menus/applications.menu"
  [[ -z ${kwin_desktops:-} ]] ||
    printf '[Desktops]\nNumber=%s\nRows=1\n' "$kwin_desktops" >"$home/config/kwinrc"
  chmod 700 "$home/run"
  cp "$(command -v kwin_wayland)" "$home/bin/kwin_wayland"
  printf '%s\n' '#!/bin/sh' \
    "echo \"\$WAYLAND_DISPLAY \${DBUS_SESSION_BUS_ADDRESS:--} \$DISPLAY\" >$home/ready.part && mv $home/ready.part $home/ready" \
    >"$home/ready.sh"
  chmod +x "$home/ready.sh"
  local xwayland=()
  if [[ -n ${kwin_xwayland:-} ]]; then
    xwayland=(--xwayland)
    # Where X servers put their sockets: made at boot on a real system, but
    # not in a fresh root filesystem, and KWin (unlike Xvfb) does not make it.
    [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix 2>/dev/null || true
  fi
  local checks=KWIN_WAYLAND_NO_PERMISSION_CHECKS=1
  [[ -z ${kwin_checks_permissions:-} ]] || checks=KWIN_WAYLAND_PERMISSION_CHECKS_KEPT=1
  local shortcuts=(--no-global-shortcuts) session=()
  [[ -z ${kwin_shortcuts:-} ]] || { shortcuts=(); session=(dbus-run-session --); }
  env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_DATA_HOME="$home/data" \
    XDG_CONFIG_HOME="$home/config" KWIN_COMPOSE=Q "$checks" \
    setsid "${session[@]}" "$home/bin/kwin_wayland" --virtual --socket tarvexel-kwin \
    --no-lockscreen "${shortcuts[@]}" --no-kactivities --width 1280 --height 720 \
    "${xwayland[@]}" "$home/ready.sh" \
    >"$work/wm.log" 2>&1 &
  pids+=("-$!")
  echo $! >"$work/compositor.pid"
  wait_until 10 test -s "$home/ready" || fail "KWin did not start: $(cat "$work/wm.log")"
  unset DISPLAY
  read -r WAYLAND_DISPLAY bus DISPLAY <"$home/ready"
  export WAYLAND_DISPLAY XDG_RUNTIME_DIR=$home/run
  [[ $bus == - ]] || export DBUS_SESSION_BUS_ADDRESS=$bus
  [[ -n $DISPLAY ]] && export DISPLAY || unset DISPLAY
}

# bus_config TYPE LISTEN [MORE]: a D-Bus daemon's configuration for a bus
# of the test's own, which lets everything through.
bus_config() {
  printf '<busconfig><type>%s</type><listen>%s</listen><auth>EXTERNAL</auth>%s%s</busconfig>\n' \
    "$1" "$2" "${3:-}" '<policy context="default"><allow user="*"/><allow own="*"/>
    <allow send_destination="*"/><allow receive_sender="*"/></policy>'
}

# GNOME Shell, headless on Wayland, as a session of its own: a private
# system bus (without one the shell's UI aborts at start), a session bus
# listening in XDG_RUNTIME_DIR, Tarvexel's extension enabled before the
# shell starts (a running shell sees no extension added later), everything
# in a PID namespace so that ending it ends what the session started. The
# environment is clean from the start: services the session bus starts on
# demand (dconf, at-spi) take the bus's, and would otherwise write into the
# home folder of whoever runs the tests.
# The extension is the build the running shell loads; it answers only the
# programs named beside it, and only in the session's own namespaces, so
# every program that speaks to it runs there (in_session): the build's
# tarvexel and tarvexel-inspect, and gjs, the tests' own window of the
# shell, added to the list here.
# Usage: start_gnome [--without-extension | --in-overview | --installed FOLDER];
# --in-overview leaves the shell in its overview and sets in_overview
# (windows opened there take no focus); --installed enables the extension
# folder an install made instead of the build's. Set gnome_xwayland for an
# XWayland of the shell's own (the tests' only way to see its workspaces).
start_gnome() {
  unshare -pf --kill-child --mount-proc true 2>/dev/null ||
    skip "no PID namespace can be made here (unshare -pf needs CAP_SYS_ADMIN)"
  local extension uuid enabled x11=--no-x11
  if [[ -n ${gnome_xwayland:-} ]]; then
    x11=
    shell_x11=1
    # As for KWin's XWayland: a fresh root filesystem has no such folder.
    [[ -d /tmp/.X11-unix ]] || mkdir -m 1777 /tmp/.X11-unix 2>/dev/null || true
  fi
  extension=$(gnome_extension_build)
  [[ ${1:-} != --installed ]] || extension=$2
  [[ -d $extension ]] || fail "no built GNOME extension at '$extension'"
  uuid=$(basename "$extension")
  enabled="['$uuid']"
  [[ ${1:-} != --without-extension ]] || enabled="[]"
  mkdir -m 0700 "$work/run"
  mkdir -p "$work/home" "$work/config" "$work/cache" "$work/data/gnome-shell/extensions"
  cp -r "$extension" "$work/data/gnome-shell/extensions/"
  realpath "$(command -v gjs)" >>"$work/data/gnome-shell/extensions/$uuid/allowed-programs"
  bus_config system "unix:path=$work/run/system_bus_socket" >"$work/system.conf"
  bus_config session "unix:dir=$work/run" '<standard_session_servicedirs/>' >"$work/session.conf"
  cat >"$work/session.sh" <<'SESSION'
work=$1
# --fork returns once the bus listens: the shell needs it from its start.
dbus-daemon --config-file="$work/system.conf" --fork --nopidfile 2>/dev/null
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/run/system_bus_socket
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "$2"
echo "$DBUS_SESSION_BUS_ADDRESS" >"$work/bus.new" && mv "$work/bus.new" "$work/bus"
# A shell that ends leaves the session and its bus behind, as a crashed
# shell does: what runs in the session goes on.
gnome-shell --headless --wayland $3 --virtual-monitor 1280x720
sleep infinity
SESSION
  unshare -pf --kill-child --mount-proc env -i PATH="$PATH" HOME="$work/home" \
    XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_CACHE_HOME="$work/cache" XDG_SESSION_TYPE=wayland \
    dbus-run-session --config-file="$work/session.conf" -- \
    bash "$work/session.sh" "$work" "$enabled" "$x11" >"$work/shell.log" 2>&1 &
  sessions+=($!)
  wait_until 60 has_line "$work/shell.log" 'GNOME Shell started' ||
    fail "GNOME Shell did not start: $(tail -n 20 "$work/shell.log")"
  unset DISPLAY
  export DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wayland-0
  DBUS_SESSION_BUS_ADDRESS=$(cat "$work/bus")
  session_init=$(pgrep -P "${sessions[0]}")
  [[ -n $session_init ]] || fail "the session's namespace has no first process"
  build_tarvexel=$tarvexel build_inspect=$inspect
  tarvexel=$(session_wrapper "$tarvexel") inspect=$(session_wrapper "$inspect")
  if [[ $enabled != "[]" ]]; then
    wait_until 10 shell list >/dev/null || fail "the extension does not answer"
  fi
  # The shell starts in the overview, which holds the focus; a user leaves
  # it before working with windows.
  if [[ ${1:-} == --in-overview ]]; then
    in_overview=1
    return 0
  fi
  shell overview off >/dev/null
  wait_until 5 overview_is off || fail "the overview did not close"
}

# The build of the extension that the shell here loads: the script build
# for GNOME 43 and 44, the module build from 45 on.
gnome_extension_build() {
  local major style=45
  major=$(gnome-shell --version | sed -n 's/^GNOME Shell \([0-9]*\).*/\1/p')
  [[ -n $major ]] || fail "gnome-shell --version gave no version"
  ((major >= 45)) || style=43
  echo "${GNOME_EXTENSION_BUILDS:-}/$style/tarvexel@tarvexel.org"
}

# in_session COMMAND...: runs COMMAND in the session's PID and mount
# namespaces, where the extension answers a listed program, in this folder.
in_session() { nsenter -t "$session_init" -p -m -r --wd="$PWD" -- "$@"; }

# session_wrapper PROGRAM: the path of a script that runs PROGRAM there,
# one of its own for each PROGRAM.
session_wrapper() {
  local wrapper
  wrapper=$work/in-session/${1//\//_}
  mkdir -p "$work/in-session"
  printf '#!/bin/sh\nexec nsenter -t %s -p -m -r --wd="$PWD" -- %q "$@"\n' \
    "$session_init" "$1" >"$wrapper"
  chmod +x "$wrapper"
  echo "$wrapper"
}

shell() { in_session gjs "$here/gnome_shell.js" "$@" 2>/dev/null; }

overview_is() { [[ $(shell overview) == "$1" ]]; }

# start_window NAME [helper options]: a helper window, once the window
# manager has taken it in. Its record is $work/NAME.log. On GNOME the
# window is a native Wayland one; it is listed before it is first drawn and
# takes the focus once it is (outside the overview), which is waited for so
# that the next step starts from a settled desktop. It waits as long as
# intake_time allows for the windows, or ready_within seconds where that
# is set.
start_window() {
  local name=$1
  shift
  if [[ $system == gnome ]]; then
    remember_names "$name" "$@"
    "$helper" "$work/$name.log" "$@" &
    pids+=($!)
    echo $! >"$work/$name.pid"
    if [[ -n ${in_overview:-} ]]; then
      wait_until 10 has_line "$work/$name.log" '^ready' || fail "window $name was not shown"
    else
      wait_until 10 has_line "$work/$name.log" '^focus' ||
        fail "window $name did not take the focus"
    fi
    return
  fi
  remember_names "$name" "$@"
  "$helper" "$work/$name.log" "$@" &
  pids+=($!)
  echo $! >"$work/$name.pid"
  wait_until "${ready_within:-$(intake_time "$@")}" has_line "$work/$name.log" '^ready' ||
    fail "window $name was not taken in"
}

# intake_time [helper options]: how many seconds a compositor may take to
# take in the helper's windows: sway 1.10 takes 10-17 s for a thousand in
# tabs on a two-core machine (sway 1.7: about a second), and more when the
# machine is busy.
intake_time() {
  local count=1
  while (($#)); do
    [[ $1 != --count ]] || count=$2
    shift
  done
  echo $((10 + count / 15))
}

# The desktop of the case's system.
start_desktop() { "start_$system"; }

# On GNOME and the wlroots-style compositors a helper window is known by its
# class and title: $work/NAME.class and, if given, $work/NAME.title.
remember_names() {
  local name=$1
  shift
  while (($#)); do
    case $1 in
      --class) echo "$2" >"$work/$name.class" ;;
      --title) echo "$2" >"$work/$name.title" ;;
    esac
    shift
  done
}

# gnome_window NAME: the extension's line for window NAME, if it lists it.
gnome_window() {
  local class title=
  class=$(cat "$work/$1.class")
  [[ ! -f $work/$1.title ]] || title=$(cat "$work/$1.title")
  shell list | awk -F '\t' -v class="$class" -v title="$title" \
    '$2 == class && (title == "" || $5 == title) { print; exit }'
}

# is_front NAME: window NAME is the one in front. bring_front NAME puts it
# there the way a user would, and waits until it is. On sway a window is
# known by its program's pid. KWin has no such tool without D-Bus: there,
# and on the other wlroots-style compositors, the helper's record says
# whether the compositor has activated it, and it comes to the front the
# way a newly shown window does. GNOME's shell is
# asked through the extension.
is_front() {
  case $system in
    sway) sway_has "[pid=$(helper_pid "$1") con_id=__focused__]" ;;
    kwin | labwc)
      [[ $(grep -E '^(un)?focus$' "$work/$1.log" | tail -n1) == focus ]] ;;
    gnome) [[ $(gnome_window "$1" | cut -f 6) == true ]] ;;
    *) is_active "$1" ;;
  esac
}

bring_front() {
  case $system in
    sway) swaymsg -q "[pid=$(helper_pid "$1")] focus" ;;
    kwin | labwc) kill -USR1 "$(helper_pid "$1")" ;;
    gnome) shell call Activate "$(gnome_window "$1" | cut -f 1)" >/dev/null ;;
    *) xdotool windowactivate --sync "$(window_id "$1")" ;;
  esac
  wait_until 5 is_front "$1" || fail "could not bring $1 to the front"
}

# minimizes: the system has minimised windows at all. sway has none: it
# passes over the wlroots request to minimise.
minimizes() { [[ $system != sway ]]; }

# is_minimized NAME: window NAME is minimised. On X11 the window manager
# says so with _NET_WM_STATE_HIDDEN; each other system answers in a branch
# of its own here.
is_minimized() {
  if is_x11; then
    xprop -id "$(window_id "$1")" _NET_WM_STATE | grep -q '_NET_WM_STATE_HIDDEN'
  elif [[ $system == kwin ]]; then
    kde_has "$1" minimized
  elif is_wlr; then
    wlr_has "$1" minimized
  elif [[ $system == gnome ]]; then
    [[ $(shell call IsMinimized "$(gnome_window "$1" | cut -f 1)") == true ]]
  else
    fail "is_minimized: no way yet to tell a minimised window on $system"
  fi
}

# next_order A B C: the order in which presses of a "next" key visit three
# windows of one class opened as A, B, C, with C in front, and the press
# after. With a stacking order the lowest comes first, the oldest here. A
# wlroots compositor lists its windows newest first, and "next" takes the
# one after the window in front, starting over at the top. KWin lists them
# in the order they were shown, oldest first (a window shown again goes to
# the end, as C did on coming to the front).
next_order() {
  case $system in
    openbox | twm | gnome) echo "$1 $2 $3 $1" ;;
    sway | labwc) wlr_next_order "$@" ;;
    kwin) echo "$1 $2 $3 $1" ;;
    *) fail "next_order: the order of the windows on $system is not written down yet" ;;
  esac
}

# wlr_next_order A B C: on a wlroots compositor "next" takes the window
# listed after the one in front (C), starting over at the top, in the order
# the compositor announces them: wlroots 0.18 (sway 1.10, labwc 0.8) lists
# them newest first, 0.19 and later (sway 1.12, labwc 0.20) oldest first.
# The order is read as any client may read it.
wlr_next_order() {
  local listed title name order=() i
  listed=$("$WLR_WINDOWS") || fail "$system did not list its windows"
  while IFS=$'\t' read -r _ _ title; do
    for name in "$@"; do
      [[ $title != "$(cat "$work/$name.title")" ]] || order+=("$name")
    done
  done <<<"$listed"
  ((${#order[@]} == 3)) || fail "the compositor lists ${order[*]} of the three windows"
  for i in 0 1 2; do [[ ${order[i]} != "$3" ]] || break; done
  echo "${order[(i + 1) % 3]} ${order[(i + 2) % 3]} ${order[i]} ${order[(i + 1) % 3]}"
}

# Virtual desktops (X11) and workspaces (sway), as a pager or swaymsg sees
# them; sway makes its workspaces as they are needed.

# current_desktop: the desktop the user is on, by its number or name.
current_desktop() {
  case $system in
    openbox) xdotool get_desktop ;;
    sway) swaymsg -r -t get_workspaces | python3 -c 'import json, sys
print(next(w["name"] for w in json.load(sys.stdin) if w["focused"]))' ;;
    *) fail "current_desktop: no way yet to tell the desktop on $system" ;;
  esac
}

# on_desktop NAME DESKTOP: window NAME is on that desktop.
on_desktop() {
  case $system in
    openbox) [[ $(xdotool get_desktop_for_window "$(window_id "$1")") == "$2" ]] ;;
    sway) sway_has "[pid=$(helper_pid "$1") workspace=^$2\$]" ;;
    *) fail "on_desktop: no way yet to tell a window's desktop on $system" ;;
  esac
}

# user_on DESKTOP: the user is on that desktop. go_to_desktop DESKTOP takes
# them there, as a pager would.
user_on() { [[ $(current_desktop) == "$1" ]]; }

go_to_desktop() {
  case $system in
    openbox) xdotool set_desktop "$1" ;;
    sway) swaymsg -q workspace "$1" ;;
    *) fail "go_to_desktop: no way yet to change desktops on $system" ;;
  esac
  wait_until 5 user_on "$1" || fail "could not go to desktop $1"
}

# send_to_desktop NAME DESKTOP: moves window NAME there, as a pager or a
# key of the desktop's own would, leaving the user where they are.
send_to_desktop() {
  case $system in
    openbox) xdotool set_desktop_for_window "$(window_id "$1")" "$2" ;;
    sway) swaymsg -q "[pid=$(helper_pid "$1")] move container to workspace $2" ;;
    *) fail "send_to_desktop: no way yet to move a window on $system" ;;
  esac
  wait_until 5 on_desktop "$1" "$2" || fail "$1 did not go to desktop $2"
}

is_shown() { ! is_minimized "$1"; }

is_not_front() { ! is_front "$1"; }

# A window that ignores close requests is still there. The Wayland helper
# ends when its window goes.
window_exists() {
  case $system in
    sway) sway_has "[pid=$(helper_pid "$1")]" ;;
    kwin | labwc) kill -0 "$(helper_pid "$1")" 2>/dev/null ;;
    gnome) [[ -n $(gnome_window "$1") ]] ;;
    *) xprop -id "$(window_id "$1")" WM_CLASS >/dev/null 2>&1 ;;
  esac
}

helper_pid() { cat "$work/$1.pid"; }

# sway_older_than VERSION: the installed sway is older than VERSION.
sway_older_than() {
  local installed
  installed=$(sway --version | awk '{ print $3 }')
  [[ $(printf '%s\n' "$installed" "$1" | sort -V | head -n1) != "$1" ]]
}

# wlr_has NAME STATE: the compositor's foreign-toplevel management, asked
# as any client may ask it, lists window NAME (by its app id and title) in
# that state.
wlr_has() {
  local listed title=
  listed=$("$WLR_WINDOWS") || fail "$system did not list its windows"
  [[ ! -f $work/$1.title ]] || title=$(cat "$work/$1.title")
  awk -F'\t' -v class="$(cat "$work/$1.class")" -v title="$title" -v state="$2" '
    $2 == class && (title == "" || $3 == title) && index("," $1 ",", "," state ",") { found = 1 }
    END { exit !found }' <<<"$listed"
}

# sway_has CRITERIA: sway has a window that meets them.
sway_has() { swaymsg -q "$1 nop" 2>/dev/null; }

# kde_has NAME STATE: KWin's window management, asked as any client may
# ask it, lists window NAME in that state.
kde_has() {
  local listed
  listed=$("$KDE_WINDOWS") || fail "KWin did not list its windows"
  awk -F'\t' -v pid="$(helper_pid "$1")" -v state="$2" '
    $1 == pid && index("," $2 ",", "," state ",") { found = 1 }
    END { exit !found }' <<<"$listed"
}

# kde_desktops NAME: the numbers of the virtual desktops KWin lists window
# NAME on, comma-separated, or "all".
kde_desktops() {
  local listed
  listed=$("$KDE_WINDOWS") || fail "KWin did not list its windows"
  awk -F'\t' -v pid="$(helper_pid "$1")" '$1 == pid { print $5 }' <<<"$listed"
}

# Workspaces (virtual desktops), numbered from 1 in the desktop's order.
# start_workspaces [start_gnome options]: the case's desktop, with two
# workspaces at least. current_workspace: the one the user is on.
# go_to_workspace N takes the user there, as a pager does, and waits until
# they are. on_workspace NAME N: window NAME is on workspace N and no other.
# KWin tells all of it through its virtual desktop protocol, asked as a
# pager asks. GNOME tells it to other programs only through X11, where its
# XWayland keeps the EWMH properties: its session runs one for that
# (gnome_x runs an X11 tool there). GNOME tells nobody the workspace of a
# native window; it gives none the focus on a workspace the user is not
# on, so there a window in front is on the workspace the user is on.
start_workspaces() {
  case $system in
    kwin) kwin_desktops=2 start_kwin ;;
    gnome)
      gnome_xwayland=1 start_gnome "$@"
      local xwayland
      xwayland=$(pgrep --ns "$session_init" --nslist pid -a -x Xwayland)
      [[ $xwayland =~ \ (:[0-9]+)\ .*-auth\ ([^ ]+) ]] || fail "GNOME runs no XWayland: $xwayland"
      gnome_x=(env DISPLAY="${BASH_REMATCH[1]}" XAUTHORITY="${BASH_REMATCH[2]}") ;;
    *) fail "start_workspaces: no way yet to tell the workspaces on $system" ;;
  esac
}

current_workspace() {
  case $system in
    kwin) "$KDE_WINDOWS" desktop || fail "KWin told no current desktop" ;;
    # Until the user first changes workspaces there may be no such property.
    gnome) "${gnome_x[@]}" xprop -root -notype _NET_CURRENT_DESKTOP |
      awk '{ print ($NF ~ /^[0-9]+$/ ? $NF + 1 : 1) }' ;;
  esac
}

workspace_is() { [[ $(current_workspace) == "$1" ]]; }

go_to_workspace() {
  case $system in
    kwin) "$KDE_WINDOWS" desktop "$1" >/dev/null ;;
    gnome) "${gnome_x[@]}" xdotool set_desktop $(($1 - 1)) ;;
  esac
  wait_until 5 workspace_is "$1" || fail "could not go to workspace $1"
}

on_workspace() {
  case $system in
    kwin) [[ $(kde_desktops "$1") == "$2" ]] ;;
    gnome) workspace_is "$2" && is_front "$1" ;;
  esac
}

# leave_window NAME: the user goes to the second workspace, leaving window
# NAME behind on the first.
leave_window() {
  go_to_workspace 2
  wait_until 5 is_not_front "$1" || fail "$1 kept the focus on another workspace"
}

# The rule that brings window Alpha to the user, and writes it down for explain.
here_rule=('[a]' 'class=Alpha' 'exec=active' 'workspace=here' 'fired a' '[default]'
  'fired default')
explain_here() {
  printf '%s\n' "${here_rule[@]}" >"$work/explain.ini"
  "$inspect" explain "$work/explain.ini" >"$work/explain.txt"
}

window_id() { awk '/^ready/ { print $2 }' "$work/$1.log"; }

active_window() { xprop -root -notype _NET_ACTIVE_WINDOW | awk '{ print $NF }'; }

is_active_id() { [[ $(active_window) == $(printf '0x%x' "$1") ]]; }

is_active() { is_active_id "$(window_id "$1")"; }

has_ended() { ! kill -0 "$1" 2>/dev/null; }

notice_shown() { [[ -n $(xdotool search --name '^Tarvexel$') ]]; }

focus_count() { grep -c '^focus' "$work/$1.log"; }

# focused_since NAME COUNT: the window got the focus after it had COUNT.
focused_since() { (($(focus_count "$1") > $2)); }

# write_profile FILE LINES...: writes the lines as a profile, and empties
# the record of the sections that ran (fired()).
write_profile() {
  local file=$1 line
  shift
  rm -rf "$work/fired"
  mkdir "$work/fired"
  for line in "$@"; do
    if [[ $line == "fired "* ]]; then
      echo "execSync=touch|$work/fired/${line#fired }"
    else
      echo "$line"
    fi
  done >"$file"
}

# run_profile LINES...: writes the lines as a profile and runs Tarvexel on
# it. Every section should hold a "fired NAME" line, which becomes
# execSync=touch|$work/fired/NAME; fired() then tells which sections ran.
run_profile() {
  write_profile "$work/profile.ini" "$@"
  timeout 10 "${wrapper[@]}" "$tarvexel" "$work/profile.ini" >"$work/out" 2>"$work/err"
  status=$?
  [[ $status == 0 ]] || fail "exit status $status for: $*"
}

# What the program is started through: a parent that leaves it a signal
# mask, say (hostile_x11.py blocked). Nothing by default.
wrapper=()

# run_profile_within SECONDS LINES...: run_profile, which must end within
# SECONDS of its start.
run_profile_within() {
  local limit=$1 start=$EPOCHREALTIME
  shift
  run_profile "$@"
  local took
  took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
  awk -v t="$took" -v l="$limit" 'BEGIN { exit !(t <= l) }' ||
    fail "took $took s (at most $limit s) for: $*"
}

fired() { (cd "$work/fired" && shopt -s nullglob && echo *); }

expect_fired() {
  local got
  got=$(fired)
  [[ $got == "$1" ]] || fail "expected section(s) '$1' to run, got '$got'"
}

expect_silent() {
  [[ ! -s $work/out && ! -s $work/err ]] || fail "something was printed $1: $(cat "$work/err")"
}

expect_closed() {
  wait_until 5 has_line "$work/$1.log" '^close' || fail "window $1 was not asked to close"
}

expect_not_closed() {
  ! has_line "$work/$1.log" '^close' || fail "window $1 was asked to close"
}

# window_answers NAME: the barrier before a look at what did not happen to
# window NAME. Its helper answers once it has taken in every event its
# server sent it before the question: on X11 a property change, on Wayland
# SIGUSR2, which it answers after a roundtrip.
window_answers() {
  local before
  before=$(grep -c '^answer' "$work/$1.log")
  if is_x11; then
    xprop -id "$(window_id "$1")" -f _TARVEXEL_TEST_QUESTION 32c -set _TARVEXEL_TEST_QUESTION 1
  else
    kill -USR2 "$(helper_pid "$1")"
  fi
  wait_until 10 answered "$1" "$before" || fail "window $1 did not answer"
}

answered() { (($(grep -c '^answer' "$work/$1.log") > $2)); }

# asked_window_manager NAME REQUEST: the request for window NAME went to
# the window manager as from a user's action (source 2), with a timestamp.
asked_window_manager() {
  local source time
  case $2 in
    activate) read -r _ _ source time < <(grep '^asked activate' "$work/$1.log") ;;
    close) read -r _ _ time source < <(grep '^asked close' "$work/$1.log") ;;
  esac
  [[ ${source:-} == 2 && ${time:-0} != 0 ]] ||
    fail "no $2 request with source 2 and a time for $1: $(grep asked "$work/$1.log")"
}

case_close_by_class() {
  start_desktop
  start_window mail --class Mailer --instance mailer --title Inbox
  start_window other --class Other --instance other --title Inbox
  run_profile '[mail]' 'class=Mailer' 'exec=close' 'fired mail' '[default]' 'fired default'
  expect_fired mail
  expect_closed mail
  ! is_x11 || asked_window_manager mail close
  expect_not_closed other
}

# A close is a request the window may turn down, never a kill. On X11 a
# window that takes no close request could only be killed, which a window
# manager does on _NET_CLOSE_WINDOW: Tarvexel does not ask it.
case_close_never_kills() {
  start_desktop
  start_window stubborn --class Stubborn --no-delete
  run_profile '[s]' 'class=Stubborn' 'exec=close' 'fired s' '[default]' 'fired default'
  expect_fired s
  window_answers stubborn
  ! has_line "$work/stubborn.log" '^asked' || fail "the window manager was asked to close it"
  window_exists stubborn || fail "a window that turns close requests down was killed"
}

# Of two windows that match, the one higher in the stack is taken. (The
# titles only tell the windows apart for the test.)
case_topmost_first() {
  start_desktop
  start_window lower --class Mailer --title Lower
  start_window upper --class Mailer --title Upper
  run_profile '[mail]' 'class=Mailer' 'exec=close' 'fired mail' '[default]' 'fired default'
  expect_closed upper
  expect_not_closed lower
  start_window third --class Mailer --title Third
  bring_front lower
  run_profile '[mail]' 'class=Mailer' 'exec=close' 'fired mail' '[default]' 'fired default'
  expect_closed lower
  expect_not_closed third
}

case_close_by_instance() {
  start_openbox
  start_window mail --class Mailer --instance mailer --title Inbox
  run_profile '[mail]' 'class=mailer' 'exec=close' 'fired mail' '[default]' 'fired default'
  expect_fired mail
  expect_closed mail
}

# A title alone finds a window of any class; the title is UTF-8.
case_title_only() {
  start_desktop
  start_window inbox --class Mailer --title '受信箱 – Inbox'
  start_window drafts --class Mailer --title 'Drafts'
  run_profile '[inbox]' 'title=受信箱 – Inbox' 'exec=close' 'fired inbox' '[default]' 'fired default'
  expect_fired inbox
  expect_closed inbox
  expect_not_closed drafts
}

# Stacked so that the class alone would find "one" (on top) and the title
# alone would find "stranger": only both together find "two".
case_class_and_title() {
  start_desktop
  start_window two --class Term --title Two
  start_window stranger --class Other --title Two
  start_window one --class Term --title One
  run_profile '[two]' 'class=Term' 'title=Two' 'exec=close' 'fired two' '[default]' 'fired default'
  expect_fired two
  expect_closed two
  expect_not_closed one
  expect_not_closed stranger
  run_profile '[none]' 'class=Term' 'title=Three' 'fired none' '[default]' 'fired default'
  expect_fired default
}

# A class names a program by any name the desktop gives for it, in any
# ASCII letter case; a class that differs in more than that, and a title
# that differs at all, still miss.
case_class_names() {
  start_desktop
  start_window mail --class Mailer --instance mailbox --title Inbox
  local miss hit hits=('class=Mailer' 'class=MAILER' 'class=mAILER' 'title=Inbox')
  for miss in 'class=Mail' 'class=Mailer ' 'class= Mailer' 'class=Mailér' 'class=Mailer2' \
      'class=mailbox2' 'title=inbox' 'title=Inbox ' 'title=Inb' 'title=INBOX'; do
    run_profile '[miss]' "$miss" 'fired miss' '[default]' 'fired default'
    expect_fired default
  done
  # X11 gives a second name, WM_CLASS's instance, and a rule may use either.
  ! is_x11 || hits+=('class=mailbox' 'class=MailBox')
  for hit in "${hits[@]}"; do
    run_profile '[hit]' "$hit" 'fired hit' '[default]' 'fired default'
    expect_fired hit
  done
}

# The examples, unchanged, against the real programs they name: xterm
# (X11, or XWayland under KWin) and foot (Wayland). Each desktop calls
# them by names of its own; the windows as listed go to the log.
examples=$(dirname "$0")/../../examples

# front_title: the title of the window in front, as the companion lists it.
front_title() { "$inspect" windows --tsv | awk -F '\t' '$1 == 1 { print $3 }'; }

case_examples() {
  local shown=0
  [[ $system != kwin ]] || kwin_xwayland=1
  [[ $system != sway ]] || sway_xwayland=1
  start_desktop
  if command -v xterm >/dev/null && [[ -n ${DISPLAY:-} ]]; then
    # The XWayland of a wlroots compositor lets in only programs of its own
    # user, nobody.
    local as_user=()
    [[ $system != sway ]] && ! is_wlr || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    "${as_user[@]}" xterm -title Xterm -e sleep 600 &
    local xterm=$!
    pids+=("$xterm")
    wait_until 10 eval '[[ $(front_title) == Xterm ]]' || fail "xterm did not come to the front"
    "$inspect" windows
    # In front: the first rule asks it to close, and xterm ends.
    timeout 10 "$tarvexel" "$examples/desktop.ini" || fail "desktop.ini ended with status $?"
    wait_until 5 has_ended "$xterm" || fail "desktop.ini did not close xterm"
    shown=1
  fi
  local one two
  if [[ $system != openbox ]] && command -v foot >/dev/null; then
    foot --title=one sleep 600 2>/dev/null &
    one=$!
    pids+=("$one")
    wait_until 10 eval '[[ $(front_title) == one ]] || has_ended $one' ||
      fail "foot one did not come to the front"
  fi
  # foot 1.13 dies of SIGFPE on headless KWin 5.27's output of no size.
  if [[ -n ${one:-} ]] && has_ended "$one"; then
    echo "foot ended on its own on $system: its part is not shown"
  elif [[ -n ${one:-} ]]; then
    foot --title=two sleep 600 2>/dev/null &
    two=$!
    pids+=("$two")
    wait_until 10 eval '[[ $(front_title) == two ]]' || fail "foot two did not come to the front"
    "$inspect" windows
    # A terminal in front: the other one comes forward, and back again.
    timeout 10 "$tarvexel" "$examples/terminal.ini" || fail "terminal.ini ended with status $?"
    wait_until 5 eval '[[ $(front_title) == one ]]' || fail "terminal.ini did not bring one"
    timeout 10 "$tarvexel" "$examples/terminal.ini" || fail "terminal.ini ended with status $?"
    wait_until 5 eval '[[ $(front_title) == two ]]' || fail "terminal.ini did not bring two back"
    shown=1
  fi
  # What the desktop calls a GTK program, for the log.
  if command -v zenity >/dev/null; then
    zenity --info --title=Zen --text=Zen 2>/dev/null &
    pids+=($!)
    wait_until 10 eval '[[ $(front_title) == Zen ]]' && "$inspect" windows
  fi
  ((shown)) || skip "neither xterm nor foot can run on $system here"
}

# _NET_WM_NAME is the title where a window has one; WM_NAME only otherwise.
case_title_sources() {
  start_openbox
  start_window both --class A --title 'Net Name' --wm-name 'Old Name'
  start_window legacy --class B --wm-name 'Legacy Only'
  run_profile '[old]' 'title=Old Name' 'fired old' '[legacy]' 'title=Legacy Only' 'fired legacy' \
    '[default]' 'fired default'
  expect_fired legacy
  run_profile '[old]' 'title=Old Name' 'fired old' '[net]' 'title=Net Name' 'fired net' \
    '[default]' 'fired default'
  expect_fired net
}

# A request that is the last thing a run does still arrives: the run ends
# only once the server has carried it out.
case_request_at_the_end() {
  start_desktop
  local i
  for i in 1 2 3 4 5; do
    start_window "mail$i" --class "Mail$i"
    run_profile '[mail]' "class=Mail$i" 'fired mail' 'exec=close' '[default]' 'fired default'
    expect_fired mail
    expect_closed "mail$i"
  done
}

# "active" fires only for the window in front; then the other way round.
case_active_mode() {
  start_desktop
  start_window alpha --class Alpha
  start_window beta --class Beta
  wait_until 5 is_front beta || fail "beta did not come to the front on its own"
  local rules=('[a]' 'class=Alpha' 'mode=active' 'fired a'
    '[b]' 'class=Beta' 'mode=active' 'fired b' '[default]' 'fired default')
  run_profile "${rules[@]}"
  expect_fired b
  bring_front alpha
  run_profile "${rules[@]}"
  expect_fired a
}

case_exec_active() {
  start_desktop
  start_window alpha --class Alpha
  start_window beta --class Beta
  wait_until 5 is_front beta || fail "beta did not come to the front on its own"
  local focused
  focused=$(focus_count alpha)
  run_profile '[a]' 'class=Alpha' 'exec=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  wait_until 5 is_front alpha || fail "alpha is not the active window"
  wait_until 5 focused_since alpha "$focused" || fail "alpha did not get the focus"
  ! is_x11 || asked_window_manager alpha activate
}

# A window on another workspace: "active" takes the user to it, and brings
# it forward there.
case_go_to_window() {
  start_workspaces
  start_window alpha --class Alpha
  leave_window alpha
  run_profile '[a]' 'class=Alpha' 'exec=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  wait_until 5 workspace_is 1 || fail "the user stayed on workspace $(current_workspace)"
  wait_until 5 is_front alpha || fail "alpha is not in front"
  on_workspace alpha 1 || fail "alpha left its workspace"
}

# With workspace=here the window comes to the user instead, who stays where
# they are. (The other window keeps the first workspace from going: GNOME
# removes an empty one, and the user's would then be the first.)
case_workspace_here() {
  start_workspaces
  start_window stay --class Stay
  start_window alpha --class Alpha
  leave_window alpha
  explain_here
  grep -q 'moving it to your workspace first' "$work/explain.txt" ||
    fail "explain does not say the window comes here: $(cat "$work/explain.txt")"
  run_profile "${here_rule[@]}"
  expect_fired a
  wait_until 5 is_front alpha || fail "alpha did not come to the front"
  workspace_is 2 || fail "the user was taken to workspace $(current_workspace)"
  on_workspace alpha 2 || fail "alpha was not moved to the user's workspace"
}

# Three windows of one class: each press of a "next" key brings forward the
# one the user has gone longest without, so three presses visit all three,
# in the system's order, and the fourth starts over.
case_next_cycles() {
  start_desktop
  start_window first --class Term --title One
  start_window other --class Other
  start_window second --class Term --title Two
  start_window third --class Term --title Three
  bring_front third
  local name rule=('[term]' 'class=Term' 'exec=next' 'fired term' '[default]' 'fired default')
  for name in $(next_order first second third); do
    run_profile "${rule[@]}"
    expect_fired term
    wait_until 5 is_front "$name" || fail "next did not bring $name to the front"
  done
  ! is_front other || fail "a window of another class came forward"
}

# windows_apart: alpha and beta on the user's desktop, `home`, beta in
# front; on X11 four desktops (openbox's rc.xml may name fewer).
windows_apart() {
  start_desktop
  ! is_x11 || xdotool set_num_desktops 4
  start_window alpha --class Alpha --title Alpha
  start_window beta --class Beta --title Beta
  home=$(current_desktop)
  [[ $home != 2 ]] || fail "the user starts on desktop 2"
}

# A window on another desktop: "active" and "next" take the user there and
# bring it to the front.
case_active_elsewhere() {
  local home word
  windows_apart
  for word in active next; do
    send_to_desktop alpha 2
    bring_front beta
    run_profile '[a]' 'class=Alpha' "exec=$word" 'fired a' '[default]' 'fired default'
    expect_fired a
    wait_until 5 is_front alpha || fail "$word did not bring alpha to the front"
    user_on 2 || fail "$word left the user on desktop $(current_desktop)"
    on_desktop alpha 2 || fail "$word moved alpha off its desktop"
    bring_front beta
  done
}

# With workspace=here the window comes to the user's desktop and to the
# front; the user stays where they are, also on a desktop of no windows
# (which sway drops once the user leaves it). A sway whose IPC does not
# answer, or answers garbage, costs about a second: the window is
# activated where it is, as on labwc.
case_active_here() {
  local home row word from kind
  windows_apart
  for row in "active $home" "next $home" 'active 3'; do
    read -r word from <<<"$row"
    send_to_desktop alpha 2
    bring_front beta
    go_to_desktop "$from"
    run_profile '[a]' 'class=Alpha' "exec=$word" 'workspace=here' 'fired a' \
      '[default]' 'fired default'
    expect_fired a
    wait_until 5 is_front alpha || fail "$word did not bring alpha to the front"
    user_on "$from" || fail "$word took the user from $from to $(current_desktop)"
    on_desktop alpha "$from" || fail "$word did not bring alpha to desktop $from"
  done
  [[ $system == sway ]] || return 0
  for kind in silent garbage; do
    start_hostile "$kind" "$kind" "$work/$kind-ipc"
    bring_front beta
    SWAYSOCK=$work/$kind-ipc run_profile_within 2 '[a]' 'class=Alpha' 'exec=active' \
      'workspace=here' 'fired a' '[default]' 'fired default'
    expect_fired a
    expect_silent "with a sway IPC that is $kind"
    wait_until 5 is_front alpha || fail "alpha was not activated with a sway IPC that is $kind"
  done
}

# titleMatch: the rule's title as the start, the end or any part of a
# window's title, in its letter case; exact, as no titleMatch, only a
# whole title; a value it does not know never fires. Each row: the value
# (- for none), the title, the window found (- for none).
case_title_match() {
  start_desktop
  start_window plan --class Writer --title 'Draft: Plan – Writer'
  start_window notes --class Reader --title 'notes.txt'
  local row value title found rule
  for row in 'prefix|Draft: P|plan' 'prefix|notes|notes' 'prefix|Plan|-' 'prefix|draft|-' \
      'suffix|n – Writer|plan' 'suffix|.txt|notes' 'suffix|Draft|-' 'suffix|WRITER|-' \
      'contains|an – Wr|plan' 'contains|otes.t|notes' 'contains|PLAN|-' 'contains|Plan:|-' \
      'exact|Draft: Plan – Writer|plan' 'exact|notes|-' '-|notes.txt|notes' '-|Plan|-' \
      'Prefix|notes.txt|-' '|notes.txt|-' 'regex|notes.txt|-'; do
    IFS='|' read -r value title found <<<"$row"
    rule=('[hit]' "title=$title")
    [[ $value == - ]] || rule+=("titleMatch=$value")
    run_profile "${rule[@]}" 'exec=active' 'fired hit' '[default]' 'fired default'
    if [[ $found == - ]]; then
      expect_fired default
    else
      expect_fired hit
      wait_until 5 is_front "$found" || fail "titleMatch=$value title=$title did not find $found"
    fi
  done
}

# "minimize" hides the rule's window, which still counts as there for the
# rules; "active" brings it back in front.
case_minimize_then_active() {
  minimizes || skip "$system has no minimised windows"
  start_desktop
  start_window mail --class Mailer
  start_window other --class Other
  bring_front mail
  run_profile '[mail]' 'class=Mailer' 'exec=minimize' 'fired mail' '[default]' 'fired default'
  expect_fired mail
  wait_until 5 is_minimized mail || fail "minimize did not minimise the window"
  # The window manager hands the focus on once the window is hidden.
  wait_until 5 is_not_front mail || fail "the minimised window is still in front"
  expect_not_closed mail
  run_profile '[mail]' 'class=Mailer' 'exec=active' 'fired mail' '[default]' 'fired default'
  expect_fired mail
  wait_until 5 is_front mail || fail "active did not bring the minimised window to the front"
  wait_until 5 is_shown mail || fail "the window stayed minimised"
}

# Outside a rule the two words are programs, found on PATH like any other,
# even with windows about.
case_words_in_default() {
  start_desktop
  start_window term --class Term
  mkdir "$work/bin"
  local word
  for word in next minimize; do
    printf '#!/bin/sh\ntouch "%s"\n' "$work/ran-$word" >"$work/bin/$word"
    chmod +x "$work/bin/$word"
  done
  PATH=$work/bin:$PATH run_profile '[none]' 'class=Nowhere' 'exec=next' 'fired none' \
    '[default]' 'exec=next' 'exec=minimize' 'fired default'
  expect_fired default
  for word in next minimize; do
    wait_until 5 test -e "$work/ran-$word" || fail "exec=$word in default did not start $word"
  done
  ! minimizes || ! is_minimized term || fail "a window was minimised"
}

# listed FRONT TITLE CLASS: `windows --tsv` has a line for the window with
# that title, FRONT (1 or 0) telling whether it is in front, CLASS among
# its class names.
listed() {
  awk -F'\t' -v front="$1" -v title="$2" -v class="$3" '
    $1 == front && $3 == title { for (i = 4; i <= NF; i++) if ($i == class) found = 1 }
    END { exit !found }' "$work/windows.tsv"
}

# titles_of CLASS: the titles of the windows in `windows --tsv` that have
# CLASS among their class names (KWin 6 gives a second one, the program's
# resource name), one a line.
titles_of() {
  awk -F'\t' -v class="$1" '{ for (i = 4; i <= NF; i++) if ($i == class) { print $3; break } }' \
    "$work/windows.tsv"
}

# The companion program sees the windows the launcher sees, picks out the
# rule that fires, and touches nothing while it explains.
case_inspect() {
  start_desktop
  start_window mail --class Mailer --instance mailer --title Inbox
  start_window term --class Term --instance term --title 'Shell – 1'
  wait_until 5 is_front term || fail "the terminal did not come to the front on its own"
  "$inspect" windows --tsv >"$work/windows.tsv" || fail "windows --tsv failed"
  listed 1 'Shell – 1' Term || fail "the terminal is not listed in front: $(cat "$work/windows.tsv")"
  listed 0 Inbox Mailer || fail "the mail window is not listed: $(cat "$work/windows.tsv")"
  "$inspect" windows >"$work/windows.txt" || fail "windows failed"
  head -n1 "$work/windows.txt" | grep -q '^Window system: ' || fail "no system line"
  ! grep -q '^Window system: none' "$work/windows.txt" || fail "$(head -n1 "$work/windows.txt")"
  "$inspect" front 0 >"$work/front.txt" 2>/dev/null || fail "front found no window in front"
  grep -q '^\* .*Shell – 1"$' "$work/front.txt" || fail "front showed: $(cat "$work/front.txt")"
  printf '%s\n' '[mail-front]' 'class=Mailer' 'mode=active' 'exec=close' \
    '[term]' 'class=Term' 'exec=close' '[default]' 'exec=true' >"$work/explain.ini"
  "$inspect" explain "$work/explain.ini" >"$work/explain.txt"
  status=$?
  [[ $status == 0 ]] || fail "explain ended with $status: $(cat "$work/explain.txt")"
  grep -q 'another window is in front: .*Shell – 1' "$work/explain.txt" &&
    grep -q '^Would run: \[term\], against .*Shell – 1' "$work/explain.txt" ||
    fail "explain said: $(cat "$work/explain.txt")"
  window_answers term
  window_answers mail
  expect_not_closed term
  expect_not_closed mail
  is_front term || fail "explaining changed the window in front"
  ids_last
}


# id_in LISTING TITLE: the WINDOW column of the window titled TITLE.
id_in() {
  awk -v title="\"$2\"" 'index($0, title) { sub(/^\* /, ""); print $1 }' "$1"
}

# A window's id is the desktop's own, not its place in the list: it stays
# when a window shown later takes the front. wlroots gives none, and the
# column is left out there.
ids_last() {
  local before after
  if [[ $system == sway ]] || is_wlr; then
    ! grep -q '^  WINDOW ' "$work/windows.txt" || fail "ids where wlroots gives none"
    return
  fi
  before=$(id_in "$work/windows.txt" 'Shell – 1')
  [[ -n $before ]] && grep -q '^  WINDOW ' "$work/windows.txt" ||
    fail "no ids listed: $(cat "$work/windows.txt")"
  start_window later --class Later --title Later
  wait_until 5 is_front later || fail "the later window did not come to the front"
  "$inspect" windows >"$work/windows-later.txt" || fail "windows failed"
  after=$(id_in "$work/windows-later.txt" 'Shell – 1')
  [[ $after == "$before" ]] || fail "the terminal's id went from $before to $after"
}

# The notice box: found by its title, it holds the run until dismissed, and
# every way of dismissing it ends the run with 0.
dismiss_by() {
  local id=$1
  case $2 in
    Return | Escape)
      wait_until 5 is_active_id "$id" || fail "the notice has no focus"
      xdotool key "$2" ;;
    click)
      local WIDTH HEIGHT
      eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
      # The text, which is not the button, leaves it open.
      xdotool mousemove --window "$id" 10 10 click 1
      notice_waits "$notice"
      ! has_ended "$notice" || fail "a click beside the button closed the notice"
      # The OK button sits centred, three quarters of the way down.
      xdotool mousemove --window "$id" $((WIDTH / 2)) $((HEIGHT * 3 / 4)) click 1 ;;
    close)
      run_profile '[box]' 'class=Tarvexel' 'title=Tarvexel' 'exec=close' 'fired box' \
        '[default]' 'fired default'
      expect_fired box ;;
  esac
}

# wait_for_notice: notice_id is the id of the notice's box, once it is
# there. xdotool may fail on a window that goes while it looks (a probe, a
# helper): then it looks again.
find_notice() {
  notice_id=$(xdotool search --name '^Tarvexel$' 2>/dev/null | head -n1)
  [[ -n $notice_id ]]
}

wait_for_notice() { wait_until 10 find_notice || fail "no notice window appeared"; }

# notice_waits PID: the barrier before a look at whether the notice's run
# ended by itself. A request of ours answered means the server has handled
# what we asked before and sent the notice its events; the run has taken in
# all of them once it sleeps, since anything unread on its connection would
# wake it.
notice_waits() {
  xprop -root _NET_ACTIVE_WINDOW >/dev/null
  wait_until 5 asleep_or_ended "$1" || fail "the notice's run did not settle"
}

asleep_or_ended() {
  has_ended "$1" || [[ $(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) == S ]]
}

# expect_notice_ended WHAT: WHAT ended the notice's run, with status 0.
expect_notice_ended() {
  wait_until 5 has_ended "$notice" || fail "$1 did not end the run"
  wait "$notice"
  status=$?
  [[ $status == 0 ]] || fail "exit status $status after $1"
}

expect_notice_text() {
  [[ $(cat "$work/notice.err") == "$kNotice" ]] ||
    fail "standard error held: $(cat "$work/notice.err")"
}

case_notice() {
  start_openbox
  local way id
  for way in Return Escape click close; do
    "$tarvexel" >"$work/notice.out" 2>"$work/notice.err" &
    notice=$!
    pids+=("$notice")
    wait_for_notice
    id=$notice_id
    notice_waits "$notice"
    ! has_ended "$notice" || fail "the run ended before the notice was dismissed"
    dismiss_by "$id" "$way"
    expect_notice_ended "dismissing by $way"
    expect_notice_text
    [[ ! -s $work/notice.out ]] || fail "something was written to standard output"
    ! notice_shown || fail "the notice stayed on screen"
  done
}

# loads LIBRARY: Tarvexel maps the library on the run of the profile.
loads() {
  LD_DEBUG=libs "$tarvexel" "$work/profile.ini" 2>&1 >/dev/null | grep -q "$1"
}

loads_x_client() { loads 'libxcb\.so\|libX11\.so'; }

# No display, or one that cannot be opened: no window, nothing printed,
# "default" runs. The X client library (libxcb; libX11 only for the notice
# box) is loaded only when a display is named and a rule needs a window.
case_no_display() {
  start_openbox
  start_window mail --class Mailer
  local rule=('[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default')
  run_profile "${rule[@]}"
  expect_fired mail
  loads 'libxcb\.so' || fail "libxcb was not loaded for a rule with a display"
  ! loads 'libX11\.so' || fail "libX11 was loaded for a search"
  local display=$DISPLAY
  unset DISPLAY
  run_profile "${rule[@]}"
  expect_fired default
  expect_silent "without a display"
  ! loads_x_client || fail "an X library was loaded without a display"
  export DISPLAY=:$((${display#:} + 1000))
  run_profile "${rule[@]}"
  expect_fired default
  expect_silent "for a display that is not there"
  # A display that turns us away: it wants a cookie we do not have, and
  # Xlib would say so on standard error.
  xauth -q -f "$work/cookies" add :0 . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
  Xvfb -displayfd 3 -nolisten tcp -auth "$work/cookies" 3>"$work/locked" 2>/dev/null &
  pids+=($!)
  wait_until 10 test -s "$work/locked" || fail "the locked Xvfb did not start"
  DISPLAY=":$(head -n1 "$work/locked")"
  export DISPLAY XAUTHORITY=/nonexistent
  run_profile "${rule[@]}"
  expect_fired default
  expect_silent "for a display that refused us"
  unset XAUTHORITY
  export DISPLAY=$display
  run_profile '[default]' 'fired default'
  expect_fired default
  ! loads_x_client || fail "an X library was loaded though no rule needed a window"
}

# Without an EWMH window manager: the windows are found in the tree, a
# close request goes to the window itself (and only to one that takes it),
# bringing to the front is a raise and the input focus, and the window in
# front is the one that has the focus.
case_without_ewmh() {
  start_twm
  start_window stubborn --class Stubborn --no-delete
  start_window alpha --class Alpha
  start_window beta --class Beta
  local focused
  focused=$(focus_count alpha)
  run_profile '[a]' 'class=Alpha' 'exec=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  wait_until 5 focused_since alpha "$focused" || fail "alpha did not get the focus"
  run_profile '[b]' 'class=Beta' 'mode=active' 'fired b' \
    '[a]' 'class=Alpha' 'mode=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  # Without desktops, workspace=here brings the window forward where it is.
  focused=$(focus_count beta)
  run_profile '[b]' 'class=Beta' 'exec=active' 'workspace=here' 'fired b' \
    '[default]' 'fired default'
  expect_fired b
  wait_until 5 focused_since beta "$focused" || fail "beta did not get the focus"
  run_profile '[b]' 'class=Beta' 'exec=close' 'fired b' '[default]' 'fired default'
  expect_fired b
  expect_closed beta
  ! grep -q '^asked' "$work/alpha.log" "$work/beta.log" || fail "a request went to a window manager"
  run_profile '[s]' 'class=Stubborn' 'exec=close' 'fired s' '[default]' 'fired default'
  expect_fired s
  window_answers stubborn
  xprop -id "$(window_id stubborn)" WM_CLASS >/dev/null 2>&1 ||
    fail "a window without WM_DELETE_WINDOW was destroyed"
}

loads_libwayland() {
  LD_DEBUG=libs "$tarvexel" "$work/profile.ini" 2>&1 >/dev/null | grep -q 'libwayland-client\.so'
}

# run_quickly SECONDS LINES...: run_profile, in less than SECONDS.
run_quickly() {
  local limit=$1 start=$EPOCHREALTIME
  shift
  run_profile "$@"
  took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
  awk -v t="$took" -v l="$limit" 'BEGIN { exit !(t < l) }' || fail "the run took $took s"
}

# No compositor named, or one named that is not there: no window, nothing
# printed, "default" runs at once (sooner than a silent compositor's
# second). libwayland is loaded only when a
# compositor is named and a rule needs a window.
case_no_compositor() {
  start_desktop
  start_window mail --class Mailer
  local rule=('[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default')
  run_profile "${rule[@]}"
  expect_fired mail
  loads_libwayland || fail "libwayland was not loaded for a rule with a compositor"
  local display=$WAYLAND_DISPLAY runtime=$XDG_RUNTIME_DIR
  unset WAYLAND_DISPLAY
  run_quickly 0.9 "${rule[@]}"
  expect_fired default
  expect_silent "without a compositor"
  ! loads_libwayland || fail "libwayland was loaded without a compositor"
  # A socket that nobody listens on any more, as a compositor that ended
  # leaves behind.
  python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$work/stale"
  local name long_path
  long_path="$work/$(printf 'x%.0s' {1..200})"  # longer than a socket's address holds
  for name in wayland-absent "$work/absent/wayland-0" "$work/stale" "$long_path"; do
    export WAYLAND_DISPLAY=$name
    run_quickly 0.9 "${rule[@]}"
    expect_fired default
    expect_silent "for the compositor $name"
  done
  export WAYLAND_DISPLAY=$display
  unset XDG_RUNTIME_DIR  # the socket's name means nothing without it
  run_quickly 0.9 "${rule[@]}"
  expect_fired default
  expect_silent "without XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR=$runtime
  run_profile '[default]' 'fired default'
  expect_fired default
  ! loads_libwayland || fail "libwayland was loaded though no rule needed a window"
}

# A compositor that takes the connection and never answers counts as none
# once about a second has passed: "default" runs, nothing printed.
case_silent_compositor() {
  python3 -c '
import socket, sys
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen(8)
open(sys.argv[2], "w").close()
held = []
while True:
    held.append(server.accept()[0])
' "$work/silent" "$work/silent.ready" &
  pids+=($!)
  wait_until 10 test -e "$work/silent.ready" || fail "the silent compositor did not start"
  export WAYLAND_DISPLAY=$work/silent
  unset DISPLAY
  run_quickly 3 '[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default'
  expect_fired default
  expect_silent "for a compositor that does not answer"
  awk -v t="$took" 'BEGIN { exit !(t >= 0.9) }' || fail "gave up after $took s, before the second"
}

# A compositor or session bus that sends what its protocol forbids: the run
# goes on to "default" and prints nothing, sanitizer reports included (the
# libraries' own leaks on these paths are suppressed in lsan.supp).
case_malformed_compositor() {
  local server display bus=unix:path=$work/bus
  server=$(dirname "$0")/hostile_wayland.py
  unset DISPLAY
  python3 "$server" malformed "$work/malformed" >"$work/malformed.out" &
  pids+=($!)
  python3 "$server" undeclared-fds "$work/empty" "$work/bus" >"$work/fds.out" &
  pids+=($!)
  wait_until 10 has_line "$work/malformed.out" '^ready' || fail "the malformed compositor did not start"
  wait_until 10 has_line "$work/fds.out" '^ready' || fail "the empty compositor did not start"
  for display in malformed empty; do
    WAYLAND_DISPLAY=$work/$display DBUS_SESSION_BUS_ADDRESS=$bus \
      run_profile '[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default'
    expect_fired default
    expect_silent "for the $display compositor"
  done
}

# The compositor ends after the windows were read and before the section's
# requests: they go nowhere, and the run goes on to its end in silence.
case_compositor_ends() {
  start_desktop
  start_window mail --class Mailer
  printf '%s\n' '#!/bin/sh' "kill -- -$(cat "$work/compositor.pid")" \
    "while kill -0 $(cat "$work/compositor.pid") 2>/dev/null; do sleep 0.05; done" >"$work/end"
  chmod +x "$work/end"
  run_quickly 3 '[mail]' 'class=Mailer' "execSync=$work/end" 'exec=active' 'exec=close' \
    'fired mail' '[default]' 'fired default'
  expect_fired mail
  expect_silent "after the compositor ended"
}

# A thousand windows from one program (2500 on KWin, see below), each
# listed once by the companion, and hostile names: a title or an
# app id that is not UTF-8 never equals the text a profile can hold (whose
# malformed bytes are read as U+FFFD), and a title of a thousand
# characters is matched whole. sway 1.7 and labwc hand names on as the
# program set them; KWin reads them as UTF-8 itself and reports a malformed
# byte as U+FFFD, which is then the name the whole desktop shows; wlroots
# 0.18 and later (sway 1.10) end the connection of a program that sets
# such a name, so that no such window can exist there.
# KWin is asked for its windows in batches; asked for all at once, more than
# about 1500 fill both sides' buffers and the compositor drops the
# connection.
case_many_windows() {
  local count=1000
  [[ $system != kwin ]] || count=2500
  # Side by side, each new window resizes all the others: sway 1.10 then
  # takes a hundred seconds and more to take in a thousand windows on a
  # busy two-core machine, in tabs about thirteen. sway 1.7 takes a second
  # side by side, but over seventy in tabs, drawing a thousand tab titles.
  if [[ $system == sway ]] && ! sway_older_than 1.10; then
    sway_rule='workspace_layout tabbed'
  fi
  start_desktop
  # A loaded machine's KWin 6 may take more than ten seconds over them.
  local within=
  [[ $system != kwin ]] || within=60
  ready_within=$within start_window many --class Many --title Many --count $count
  local long
  long="$(printf 'x%.0s' {1..1000})é"
  start_window long --class Long --title "$long"
  # The companion lists every one of them, once.
  "$inspect" windows --tsv >"$work/windows.tsv" || fail "windows --tsv failed"
  local listed
  listed=$(titles_of Many | sort -u | wc -l)
  ((listed == count)) || fail "tarvexel-inspect lists $listed of the $count windows"
  local bad=default odd=default
  [[ $system != kwin ]] || bad=bad odd=odd
  if hostile_window bad --class Bad --title $'Inbox\xff'; then
    run_quickly 2 '[bad]' 'title=Inbox�' 'fired bad' '[default]' 'fired default'
    expect_fired $bad
    # It is there to be found by its other name.
    run_profile '[bad]' 'class=Bad' 'fired bad' '[default]' 'fired default'
    expect_fired bad
  fi
  if hostile_window odd --class $'Bad\xc3' --title 'Odd class'; then
    run_profile '[odd]' 'class=Bad�' 'fired odd' '[default]' 'fired default'
    expect_fired $odd
    run_profile '[odd]' 'title=Odd class' 'fired odd' '[default]' 'fired default'
    expect_fired odd
  fi
  run_profile '[short]' "title=${long%é}" 'fired short' '[long]' "title=$long" 'fired long' \
    '[default]' 'fired default'
  expect_fired long
  # Last: the program of the many windows ends when one is closed, and a
  # compositor taking thousands of windows away may be busy for seconds
  # (sway 1.10), and would answer the next run too late.
  local last=$((count - 1))
  run_quickly 2 '[last]' "title=Many $last" 'exec=close' 'fired last' '[default]' 'fired default'
  expect_fired last
  wait_until 5 has_line "$work/many.log" "^close $last\$" ||
    fail "window $last was not asked to close"
}

# hostile_window NAME [helper options]: start_window for a window whose
# names the compositor may refuse by ending the program's connection. True
# once the window is there; otherwise says that the checks of it are
# skipped, and why.
hostile_window() {
  local name=$1
  remember_names "$@"
  "$helper" "$work/$name.log" "${@:2}" &
  pids+=($!)
  echo $! >"$work/$name.pid"
  wait_until 10 has_line "$work/$name.log" '^\(ready\|refused\)' ||
    fail "window $name was not taken in"
  has_line "$work/$name.log" '^ready' && return
  echo "SKIPPED (sub-check) [$system.$case_name]: $system refuses the window $name, ending" \
    "its program's connection ($(grep '^refused' "$work/$name.log")): no such window can exist there"
  return 1
}

# KWin lends its window management only to a program that a desktop file
# names by its absolute path: the build's files name the build's programs,
# the launcher and its companion, which find the window; copies of them at
# another path are turned away, and find none, silently.
case_desktop_file() {
  kwin_checks_permissions=1
  # In place before KWin starts, as an installed package's are: KDE's
  # index may notice a file added later only a second or so later (KDE
  # Frameworks 6.30), and the run would come first.
  mkdir -p "$work/kwin/data/applications"
  cp "$TARVEXEL_DESKTOP_FILE" "$TARVEXEL_INSPECT_DESKTOP_FILE" "$work/kwin/data/applications/"
  start_desktop
  start_window mail --class Mailer
  local rule=('[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default')
  run_profile "${rule[@]}"
  expect_fired mail
  "$inspect" windows --tsv >"$work/windows.tsv" || fail "windows --tsv failed"
  titles_of Mailer | grep -q '' ||
    fail "tarvexel-inspect, named by its desktop file, does not list the window: $(cat "$work/windows.tsv")"
  mkdir "$work/elsewhere"
  cp "$tarvexel" "$inspect" "$work/elsewhere/"
  tarvexel=$work/elsewhere/tarvexel
  run_profile "${rule[@]}"
  expect_fired default
  expect_silent "for a program no desktop file names"
  "$work/elsewhere/$(basename "$inspect")" windows --tsv >"$work/windows.tsv" ||
    fail "windows --tsv failed"
  [[ ! -s $work/windows.tsv ]] ||
    fail "a tarvexel-inspect no desktop file names lists: $(cat "$work/windows.tsv")"
  XDG_CURRENT_DESKTOP=KDE "$work/elsewhere/$(basename "$inspect")" windows >"$work/windows.txt"
  grep -qF "$(basename "$inspect").desktop in ~/.local/share/applications" "$work/windows.txt" &&
    grep -qF "Exec=\"$work/elsewhere/$(basename "$inspect")\"" "$work/windows.txt" ||
    fail "no word of the desktop file KWin expects: $(cat "$work/windows.txt")"
}

# A compositor that lends Tarvexel no window management (KWin without the
# desktop file, like GNOME): the windows of programs that run through
# XWayland are found through X11; native Wayland windows are not found.
case_xwayland_fallback() {
  kwin_checks_permissions=1 kwin_xwayland=1
  start_desktop
  [[ -n ${DISPLAY:-} ]] || fail "KWin named no X display"
  start_window native --class Native
  helper=$X11_WINDOW_HELPER start_window legacy --class Legacy
  run_profile '[native]' 'class=Native' 'fired native' '[legacy]' 'class=Legacy' 'exec=close' \
    'fired legacy' '[default]' 'fired default'
  expect_fired legacy
  expect_closed legacy
  expect_silent "falling back to X11"
}

# Keys bound with tarvexel-inspect where the desktop keeps them in a store
# of its own. GNOME: the custom shortcuts of the settings daemon
# (gsd-media-keys, which grabs them through the shell), pressed as a
# keyboard would through mutter's remote desktop. KWin: command shortcuts
# held by kglobalaccel; a headless KWin has no keyboard a test may press,
# so kglobalaccel is asked which action holds a key, and sets the action
# off itself (invokeShortcut), as it does for a press. The launcher the key
# starts must see the window, with KWin's permission checks kept.
start_binding_desktop() {
  if [[ $system == gnome ]]; then
    local daemon=/usr/libexec/gsd-media-keys
    need "$daemon"
    start_gnome
    export XDG_CURRENT_DESKTOP=GNOME HOME=$work/home XDG_CONFIG_HOME=$work/config \
      XDG_DATA_HOME=$work/data
    G_MESSAGES_DEBUG=all in_session "$daemon" >"$work/media-keys.log" 2>&1 &
    pids+=($!)
    wait_until 10 heard_since "$grabbed" 0 || fail "gsd-media-keys grabbed no keys"
  else
    need dbus-run-session
    need gdbus
    kwin_checks_permissions=1 kwin_shortcuts=1
    start_kwin
    export XDG_CURRENT_DESKTOP=KDE HOME=$work/kwin XDG_CONFIG_HOME=$work/kwin/config \
      XDG_DATA_HOME=$work/kwin/data
  fi
}

# heard PATTERN: how many lines of gsd-media-keys' log match PATTERN: its
# grabs of keys, the changes of settings it hears of. heard_since PATTERN
# COUNT: more than COUNT.
heard() { grep -c "$1" "$work/media-keys.log"; }
heard_since() { (($(heard "$1") > $2)); }
grabbed='Grab call completed'

gnome_keys() { gsettings "$1" org.gnome.settings-daemon.plugins.media-keys custom-keybindings "${@:2}"; }
gnome_custom() {
  gsettings "$1" "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:$2" "${@:3}"
}

kglobalaccel() {
  gdbus call --session --dest org.kde.kglobalaccel --object-path "${path:-/kglobalaccel}" \
    --method "$@"
}

# kde_key KEYS: Qt's code for the keys the case uses.
kde_key() {
  case $1 in
    Super+T) echo $((0x10000054)) ;;
    Super+Y) echo $((0x10000059)) ;;
  esac
}

# kde_holder KEYS: the component (a desktop file's name) that holds KEYS.
kde_holder() {
  kglobalaccel org.kde.KGlobalAccel.actionList "([$(kde_key "$1"), 0, 0, 0],)" |
    sed -n "s/^(\['\([^']*\)'.*/\1/p"
}

# add_own_shortcut: the user's own Super+Y, which runs foot, made as the
# desktop's settings make one.
add_own_shortcut() {
  if [[ $system == gnome ]]; then
    local own=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/
    gnome_custom set "$own" name Terminal
    gnome_custom set "$own" command foot
    gnome_custom set "$own" binding '<Super>y'
    gnome_keys set "['$own']"
  else
    local file=net.local.foot.desktop
    printf '%s\n' '[Desktop Entry]' Type=Application Name=Terminal Exec=foot NoDisplay=true \
      X-KDE-GlobalAccel-CommandShortcut=true >"$XDG_DATA_HOME/applications/$file"
    wait_until 10 eval 'kglobalaccel org.kde.KGlobalAccel.doRegister "[\"$file\", \"\", \"Terminal\", \"\"]" &&
      kglobalaccel org.kde.KGlobalAccel.getComponent "$file"' >/dev/null ||
      fail "kglobalaccel took no component for the user's shortcut"
    kglobalaccel org.kde.KGlobalAccel.unregister "$file" '' >/dev/null
    kglobalaccel org.kde.KGlobalAccel.setShortcutKeys "['$file', '_launch', 'Terminal', 'Terminal']" \
      "[([$(kde_key Super+Y), 0, 0, 0],)]" 4 >/dev/null
  fi
}

# own_shortcuts: the user's own shortcuts as the desktop's store holds them.
own_shortcuts() {
  if [[ $system == gnome ]]; then
    gnome_keys get
    gnome_custom list-recursively /org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/
  else
    cat "$XDG_DATA_HOME/applications/net.local.foot.desktop"
    kde_holder Super+Y
  fi
}

# bound_command: the command the store binds to Super+T.
bound_command() {
  if [[ $system == gnome ]]; then
    local path
    for path in $(gnome_keys get | tr -d "[],'"); do
      [[ $(gnome_custom get "$path" binding) != "'<Super>t'" ]] ||
        gnome_custom get "$path" command
    done
  else
    local file
    file=$(kde_holder Super+T)
    [[ -z $file ]] || sed -n 's/^Exec=//p' "$XDG_DATA_HOME/applications/$file"
  fi
}

# press KEYS: sets off what the desktop bound to KEYS (Super+T).
press() {
  if [[ $system == gnome ]]; then
    shell press $((0xffeb)) $((0x74)) || fail "the remote desktop pressed no keys"
  else
    path=$(kglobalaccel org.kde.KGlobalAccel.getComponent "$(kde_holder "$1")" |
      sed -n "s/^(objectpath '\(.*\)',)$/\1/p") kglobalaccel \
      org.kde.kglobalaccel.Component.invokeShortcut _launch >/dev/null || fail "no action to set off"
  fi
}

# bind_refused WORDS... PATTERN: `bind WORDS...` is refused with a message
# that matches PATTERN.
bind_refused() {
  local said
  said=$("$inspect" bind "${@:1:$#-1}" 2>&1) && fail "bind $* was not refused: $said"
  # shellcheck disable=SC2053  # a pattern
  [[ $said == ${!#} ]] || fail "bind ${*:1:$#-1} was refused with: $said"
}

# bind, the key, a second bind and --replace, bindings and unbind, beside
# the user's own shortcut; the profile's path is quoted for the desktop.
# KWin grants its window management by the first desktop file that runs
# the launcher, in an order of its index that changes from one start to
# the next: so the shortcut's own file must grant it too, and here it is
# the only one (bind says that the package's is missing), until the
# package's is put in place.
bind_key_in_store() {
  start_binding_desktop
  start_window mail --class Mailer
  add_own_shortcut
  local own first=$work/it\'s\ mine.ini other=$work/other.ini said before
  own=$(own_shortcuts)
  write_profile "$other" '[default]' 'fired other'
  write_profile "$first" '[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default'
  before=$([[ $system != gnome ]] || heard "$grabbed")
  said=$("$inspect" bind Super+T "$first" 2>&1) || fail "bind failed: $said"
  if [[ $system == gnome ]]; then
    [[ $said != *needs* ]]
  else
    [[ $said == *"needs: a desktop file"*tarvexel.desktop* ]]
  fi || fail "bind said: $said"
  [[ $(bound_command) == *tarvexel*"it"*"s mine.ini"* ]] ||
    fail "Super+T runs: $(bound_command)"
  [[ $system != gnome ]] || wait_until 10 heard_since "$grabbed" "$before" ||
    fail "the key was not grabbed"
  press Super+T
  wait_until 10 test -e "$work/fired/mail" || fail "the key did not run the profile: $(fired)"
  [[ $system == gnome ]] || cp "$TARVEXEL_DESKTOP_FILE" "$XDG_DATA_HOME/applications/"
  run_profile '[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default'
  expect_fired mail
  bind_refused Super+T "$other" "*already bound by Tarvexel to $first*"
  [[ $(bound_command) == *mine.ini* ]] || fail "a refused bind changed Super+T"
  before=$([[ $system != gnome ]] || heard 'change_notify: .*/command')
  "$inspect" bind --replace Super+T "$other" >/dev/null || fail "bind --replace failed"
  [[ $(bound_command) == *other.ini* ]] || fail "--replace left: $(bound_command)"
  [[ $system != gnome ]] || wait_until 10 heard_since 'change_notify: .*/command' "$before" ||
    fail "gsd-media-keys did not hear of the new command"
  press Super+T
  wait_until 10 test -e "$work/fired/other" || fail "the key replaced ran: $(fired)"
  bind_refused --replace Super+Y "$other" '*Terminal*'
  bind_refused Alt+F4 "$other" '*[Cc]lose*'
  [[ $("$inspect" bindings) == "Super+T"$'\t'"$other"$'\t'* ]] ||
    fail "bindings listed: $("$inspect" bindings)"
  "$inspect" unbind Super+T >/dev/null || fail "unbind failed"
  [[ -z $(bound_command) ]] || fail "Super+T still runs $(bound_command)"
  [[ $(own_shortcuts) == "$own" ]] || fail "the user's shortcut went from $own to $(own_shortcuts)"
  [[ $system == gnome ]] || ! compgen -G "$XDG_DATA_HOME/applications/net.local.tarvexel*" ||
    fail "unbind left $(ls "$XDG_DATA_HOME/applications/")"
  [[ $("$inspect" bindings) == "No keys of Tarvexel's on "* ]] || fail "bindings after unbind"
  ! "$inspect" unbind Super+T >/dev/null 2>&1 || fail "a second unbind found something"
}

# The hostile desktops. Each is something any client, or a broken or
# stopped server, can do to a run; none may make it hang, crash, print or
# end with another status, and what remains of the run still runs.
hostile=$(dirname "$0")/hostile_x11.py

# start_hostile NAME COMMAND...: the hostile helper, once it is in place.
start_hostile() {
  local name=$1
  shift
  "$hostile" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
  wait_until 20 has_line "$work/$name.out" '^ready' || fail "$name: $(cat "$work/$name.err")"
}

# free_display: a display number no server or lock file uses.
free_display() {
  local n
  for n in $(shuf -i 500-999 -n 50); do
    [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]] && { echo "$n"; return; }
  done
  fail "no free display number"
}

# A tree thousands deep where no window manager keeps a list: the windows
# are found by walking the tree, and the walk stays shallow.
case_hostile_deep_tree() {
  start_twm
  start_window alpha --class Alpha
  start_hostile tree deep-tree 5000
  # A walk whose stack grew with the depth would overflow one of 256 KiB
  # here (as it would the usual 8 MiB a hundred thousand windows down).
  (ulimit -s 256 && run_profile '[none]' 'class=Nowhere' 'fired none' '[a]' 'class=Alpha' \
    'fired a' '[default]' 'fired default') || exit 1
  expect_fired a
  expect_silent "with a deep tree"
}

# A client list of 65536 made-up windows, with a real one on top: every
# rule is answered from one reading, and the found window is still found.
case_hostile_client_list() {
  start_openbox
  start_window alpha --class Alpha
  start_hostile list client-list 65536 "$(window_id alpha)"
  local rules=() i
  for i in 1 2 3 4 5 6 7 8 9; do rules+=("[r$i]" "class=Absent$i" "fired r$i"); done
  run_profile "${rules[@]}" '[a]' 'class=Alpha' 'fired a' '[default]' 'fired default'
  expect_fired a
  expect_silent "with a huge client list"
}

# Displays that never answer, answer garbage, are stopped, or hang up in
# the middle of the search: each counts as no display.
case_hostile_displays() {
  start_openbox
  local real=$DISPLAY real_pid=$xvfb_pid kind n
  local rule=('[mail]' 'class=Mailer' 'fired mail' '[default]' 'fired default')
  for kind in silent garbage hang-up stopped; do
    n=$(free_display)
    sockets+=("/tmp/.X11-unix/X$n")
    case $kind in
      hang-up) start_hostile "$kind" "$kind" "/tmp/.X11-unix/X$n" "/tmp/.X11-unix/X${real#:}" ;;
      stopped) n=${real#:}; kill -STOP "$real_pid" ;;
      *) start_hostile "$kind" "$kind" "/tmp/.X11-unix/X$n" ;;
    esac
    DISPLAY=:$n run_profile "${rule[@]}"
    [[ $kind != stopped ]] || kill -CONT "$real_pid"
    expect_fired default
    expect_silent "for a display that is $kind"
  done

  # A silent display costs about a second whatever signal mask and
  # dispositions the run inherits (a blocked timer signal once made it a
  # hang), over a socket file, an abstract socket or TCP.
  local how abstract tcp display
  n=$(free_display)
  sockets+=("/tmp/.X11-unix/X$n")
  start_hostile silent-file silent "/tmp/.X11-unix/X$n"
  abstract=$(free_display)
  start_hostile silent-abstract silent "@/tmp/.X11-unix/X$abstract"
  tcp=$(free_display)
  start_hostile silent-tcp silent "tcp:$((6000 + tcp))"
  for how in ALRM all ALRM-ignored; do
    wrapper=("$hostile" blocked "$how")
    for display in ":$n" ":$abstract" "127.0.0.1:$tcp"; do
      DISPLAY=$display run_profile_within 2 "${rule[@]}"
      expect_fired default
      expect_silent "for a silent display $display with SIGALRM $how"
    done
  done
  wrapper=()

  # A display on a host that only a name server can name, and the name
  # server never answers: the lookup is given up at the deadline, as a
  # silent display is (left to the resolver, it takes its tries of five
  # seconds each). The run gets the name server through a resolv.conf
  # mounted for it alone, which needs root.
  if [[ $EUID -eq 0 ]]; then
    start_hostile silent-dns silent "udp:127.0.0.9:53"
    printf 'nameserver 127.0.0.9\n' >"$work/resolv.conf"
    wrapper=("$hostile" resolving-with "$work/resolv.conf")
    DISPLAY=x11.tarvexel.invalid:0 run_profile_within 2 "${rule[@]}"
    expect_fired default
    expect_silent "for a display whose host no name server answers for"
    wrapper=()
  fi

  # One deadline for choosing the window system: a silent Wayland socket,
  # session bus and X display together still reach "default" in about a
  # second, not one second each.
  start_hostile silent-wayland silent "$work/silent-wayland"
  start_hostile silent-bus silent "$work/silent-bus"
  WAYLAND_DISPLAY=$work/silent-wayland DBUS_SESSION_BUS_ADDRESS=unix:path=$work/silent-bus \
    XDG_CURRENT_DESKTOP=GNOME DISPLAY=:$n run_profile_within 2 "${rule[@]}"
  expect_fired default
  expect_silent "for a silent compositor, bus and display"
}

# The server ends in the middle of a run: during a "sleep" after a request,
# or during an "execSync", with a request after it. The rest of the section
# still runs; nothing is printed; the status is 0.
case_hostile_server_ends() {
  local when
  for when in sleep execSync; do
    start_openbox
    start_window "alpha_$when" --class Alpha
    local ends=("execSync=sh|-c 'kill -KILL $xvfb_pid; sleep 0.3'" 'exec=active')
    [[ $when == execSync ]] || ends=('sleep=1500' 'exec=close')
    rm -rf "$work/fired" && mkdir "$work/fired"
    printf '%s\n' '[a]' 'class=Alpha' 'exec=active' "${ends[@]}" \
      "execSync=touch|$work/fired/a" '[default]' "execSync=touch|$work/fired/default" \
      >"$work/profile.ini"
    timeout 10 "$tarvexel" "$work/profile.ini" >"$work/out" 2>"$work/err" &
    local run=$!
    if [[ $when == sleep ]]; then
      # The activation was asked for: the run is in its sleep.
      wait_until 5 has_line "$work/alpha_$when.log" '^asked activate' ||
        fail "alpha was not activated"
      kill -KILL "$xvfb_pid"
    fi
    wait "$run"
    status=$?
    [[ $status == 0 ]] || fail "exit status $status when the server ended during $when"
    expect_fired a
    expect_silent "when the server ended during $when"
  done
}

# The notice with standard error closed still shows its box, though a
# library warns on standard error meanwhile (fontconfig, of a user's
# configuration it does not understand); and a server that ends while the
# box is up ends the run with 0, printing nothing more.
case_hostile_notice() {
  start_openbox
  printf '%s\n' '<?xml version="1.0"?>' '<fontconfig>' '<include>/etc/fonts/fonts.conf</include>' \
    '<not-understood/>' '</fontconfig>' >"$work/fonts.conf"
  FONTCONFIG_FILE=$work/fonts.conf "$tarvexel" >"$work/notice.out" 2>&- &
  notice=$!
  pids+=("$notice")
  wait_for_notice
  dismiss_by "$notice_id" Return
  expect_notice_ended "dismissing with standard error closed"
  "$tarvexel" >"$work/notice.out" 2>"$work/notice.err" &
  notice=$!
  pids+=("$notice")
  wait_for_notice
  kill -KILL "$xvfb_pid"
  expect_notice_ended "the server's end"
  expect_notice_text
}

# Titles as Xt programs store them outside Latin-1: COMPOUND_TEXT in
# WM_NAME, from xmessage itself and from Xlib's own encoder.
case_compound_titles() {
  start_openbox
  LC_ALL=ja_JP.UTF-8 xmessage -title '日本語のタイトル' 'Tarvexel' >/dev/null 2>&1 &
  pids+=($!)
  timeout 10 xdotool search --sync --class xmessage >/dev/null || fail "no xmessage window"
  local i title titles=('受信箱 – ｱｲｳ' 'Grüße, Ωmega' '한국어 中文' 'emoji 😀 end')
  for i in "${!titles[@]}"; do
    LC_ALL=ja_JP.UTF-8 start_window "titled$i" --class Titled --compound-name "${titles[i]}"
  done
  for title in '日本語のタイトル' "${titles[@]}"; do
    run_profile '[t]' "title=$title" 'fired t' '[default]' 'fired default'
    [[ $(fired) == t ]] || fail "the title '$title' did not match"
  done
  run_profile '[t]' 'title=日本語のタイトルX' 'fired t' '[default]' 'fired default'
  expect_fired default
}

# A title whose bytes are not UTF-8 equals no other text: not the same
# title with another stray byte, nor one with U+FFFD in its place.
case_title_bytes() {
  start_openbox
  start_window odd --class Odd --title $'Caf\xff'
  local near
  for near in $'Caf\xfe' $'Caf\xef\xbf\xbd' $'Caf\xff'; do
    run_profile '[odd]' "title=$near" 'fired odd' '[default]' 'fired default'
    expect_fired default
  done
  run_profile '[odd]' 'class=Odd' 'fired odd' '[default]' 'fired default'
  expect_fired odd
}


window_gone() { ! window_exists "$1"; }

# The GNOME extension's own interface, as any program on the session bus
# sees it: the windows topmost first, with their names and the focus;
# activating, also from the overview the shell starts in (windows opened
# there have no focus, and as it closes it would hand the focus to the
# newest); minimising, and telling a minimised window; a polite close; ids
# it does not know, which it answers with false, leaving every window alone.
case_extension_interface() {
  start_gnome --in-overview
  start_window alpha --class Alpha --title One
  start_window beta --class Beta --title Two
  local listed alpha beta focused method id
  listed=$(shell list | cut -f 2-6)
  [[ $listed == $'Beta\tBeta\t\tTwo\tfalse\nAlpha\tAlpha\t\tOne\tfalse' ]] ||
    fail "the list is not topmost first, without focus in the overview: $listed"
  ! "$inspect" front 0 >"$work/front.txt" 2>/dev/null &&
    grep -q 'while its overview (Activities) is open' "$work/front.txt" ||
    fail "front in the overview showed: $(cat "$work/front.txt")"
  alpha=$(gnome_window alpha | cut -f 1)
  beta=$(gnome_window beta | cut -f 1)
  focused=$(focus_count alpha)
  [[ $(shell call Activate "$alpha") == true ]] || fail "Activate did not know alpha"
  wait_until 5 overview_is off || fail "activating did not close the overview"
  wait_until 5 focused_since alpha "$focused" || fail "alpha did not get the focus"
  # The shell hands the focus on as the overview ends hiding, before it
  # reports it closed: once both windows have taken in what was sent to
  # them, any such hand-over has reached them.
  window_answers beta
  window_answers alpha
  is_front alpha || fail "alpha lost the focus as the overview closed"
  [[ $(shell list | head -n 1 | cut -f 2) == Alpha ]] || fail "alpha is not on top"
  ! is_minimized alpha || fail "IsMinimized says so of a window in front"
  [[ $(shell call Minimize "$alpha") == true ]] || fail "Minimize did not know alpha"
  wait_until 5 is_front beta || fail "minimising alpha did not hand the focus to beta"
  window_exists alpha || fail "a minimised window is no longer listed"
  is_minimized alpha || fail "IsMinimized does not say so of a minimised window"
  [[ $(shell call Activate "$alpha") == true ]] || fail "Activate did not know alpha"
  wait_until 5 is_front alpha || fail "activating did not bring alpha back"
  ! is_minimized alpha || fail "IsMinimized still says so of a window brought back"
  [[ $(shell call Close "$beta") == true ]] || fail "Close did not know beta"
  expect_closed beta
  wait_until 5 window_gone beta || fail "beta is still listed after it closed"
  for method in Activate Minimize Close IsMinimized; do
    for id in "$beta" 4294967295; do
      [[ $(shell call "$method" "$id") == false ]] || fail "$method answered true for id $id"
    done
  done
  is_front alpha || fail "a call with an unknown id moved the focus"
  expect_not_closed alpha
  # The last window minimised leaves none in front outside the overview:
  # nothing to explain then.
  shell call Minimize "$alpha" >/dev/null
  wait_until 5 is_minimized alpha || fail "alpha was not minimised"
  ! "$inspect" front 0 >"$work/front.txt" 2>/dev/null && ! grep -q overview "$work/front.txt" ||
    fail "front outside the overview showed: $(cat "$work/front.txt")"
}

loads_libsystemd() {
  LD_DEBUG=libs "$tarvexel" "$work/profile.ini" 2>&1 >/dev/null | grep -q 'libsystemd\.so'
}

# A GNOME session without the extension enabled: no native window is found,
# nothing is printed, "default" runs; tarvexel-inspect says how to enable
# it. libsystemd is loaded only when a Wayland session is named.
case_without_extension() {
  start_gnome --without-extension
  start_window alpha --class Alpha
  local rule=('[a]' 'class=Alpha' 'fired a' '[default]' 'fired default')
  run_profile "${rule[@]}"
  expect_fired default
  expect_silent "without the extension"
  loads_libsystemd || fail "libsystemd was not loaded in a Wayland session"
  # The companion says how to enable the extension, by the UUID it is
  # built under.
  XDG_CURRENT_DESKTOP=GNOME "$inspect" windows >"$work/windows.txt"
  grep -qF "gnome-extensions enable $(basename "$(gnome_extension_build)")" "$work/windows.txt" ||
    fail "no hint to enable the extension: $(cat "$work/windows.txt")"
  unset WAYLAND_DISPLAY
  run_profile "${rule[@]}"
  expect_fired default
  ! loads_libsystemd || fail "libsystemd was loaded outside a Wayland session"
}

# The shell ends between the reading of the list and the close request:
# the request fails at once, nothing is printed, the section runs to its
# end.
case_shell_ends() {
  start_gnome
  start_window alpha --class Alpha
  run_profile '[a]' 'class=Alpha' "execSync=kill|-KILL $(in_session_pid "$(shell_pid)")" \
    'exec=close' 'fired a' '[default]' 'fired default'
  expect_fired a
  expect_silent "after the shell ended"
}

# Programs of other makers, not only the test's own window: foot (not GTK;
# it ends with status 1 when asked to close) and zenity, each found by the
# app id GNOME reports as its class. zenity 4 (GTK 4) shows its window as a
# modal dialog without a parent, a window of its own all the same.
case_real_programs() {
  start_gnome
  remember_names term --class Term --title Shell
  foot --app-id=Term --title=Shell sleep 600 2>/dev/null &
  local term=$!
  pids+=("$term")
  wait_until 10 is_front term || fail "foot did not come to the front on its own"
  remember_names zenity --class zenity --title Zen
  GDK_BACKEND=wayland zenity --info --title=Zen --text=Zen 2>/dev/null &
  pids+=($!)
  # GNOME 48 shows zenity 4's window without giving it the focus.
  wait_until 10 window_exists zenity || fail "zenity's window is not listed"
  bring_front zenity
  run_profile '[t]' 'class=Term' 'title=Shell' 'exec=active' 'fired t' '[default]' 'fired default'
  expect_fired t
  wait_until 5 is_front term || fail "foot did not come to the front"
  run_profile '[z]' 'class=zenity' 'mode=active' 'fired z' \
    '[t]' 'class=Term' 'mode=active' 'exec=close' 'fired t' '[default]' 'fired default'
  expect_fired t
  wait_until 5 has_ended "$term" || fail "foot did not close"
  wait "$term"
  [[ $? == 1 ]] || fail "foot did not end as asked to close"
  window_exists zenity || fail "zenity went too"
  run_profile '[z]' 'class=zenity' 'title=Zen' 'exec=close' 'fired z' '[default]' 'fired default'
  expect_fired z
  wait_until 5 window_gone zenity || fail "zenity did not close"
}

# The extension answers only the programs installed with it, in the
# session's own namespaces, and decides on every call. Any other program on
# the bus (gdbus here) is refused every method and changes nothing; the
# build's programs run in another mount namespace (a sandbox) are refused
# too; a copy of tarvexel runs "default" silently, as one does on KDE, and a
# copy of tarvexel-inspect says why it sees nothing; the build's programs
# work all the while.
case_callers() {
  start_gnome
  start_window alpha --class Alpha --title One
  start_window beta --class Beta --title Two
  local alpha method answer
  alpha=$(gnome_window alpha | cut -f 1)
  [[ -n $alpha ]] || fail "alpha is not listed"
  for method in List Activate Close Minimize IsMinimized; do
    local arguments=()
    [[ $method == List ]] || arguments=("$alpha")
    answer=$(in_session gdbus call --session --dest org.gnome.Shell \
      --object-path /org/tarvexel/Windows --method "org.tarvexel.Windows1.$method" \
      "${arguments[@]}" 2>&1) && fail "gdbus was answered $method: $answer"
    [[ $answer == *org.freedesktop.DBus.Error.AccessDenied* ]] ||
      fail "gdbus was not refused $method: $answer"
    [[ $answer != *One* ]] || fail "the refusal of $method told a title: $answer"
  done
  is_front beta || fail "a refused call moved the focus"
  is_shown alpha || fail "a refused call minimised alpha"
  expect_not_closed alpha
  # The build's own program, in a mount namespace of its own.
  in_session unshare -m "$build_inspect" windows >"$work/sandboxed.txt" 2>&1
  grep -q 'sandbox' "$work/sandboxed.txt" ||
    fail "a sandboxed inspect was not refused: $(cat "$work/sandboxed.txt")"
  mkdir "$work/elsewhere"
  cp "$build_tarvexel" "$build_inspect" "$work/elsewhere/"
  local copy
  copy=$(session_wrapper "$work/elsewhere/$(basename "$build_tarvexel")")
  printf '%s\n' '[a]' 'class=Alpha' "execSync=touch|$work/copy-a" \
    '[default]' "execSync=touch|$work/copy-default" >"$work/copy.ini"
  timeout 10 "$copy" "$work/copy.ini" >"$work/out" 2>"$work/err" ||
    fail "the copy of tarvexel ended with status $?"
  [[ -e $work/copy-default && ! -e $work/copy-a ]] || fail "the copy of tarvexel saw alpha"
  expect_silent "by a refused copy of tarvexel"
  in_session "$work/elsewhere/$(basename "$build_inspect")" windows >"$work/copy.txt" 2>&1
  grep -qF "$work/elsewhere/$(basename "$build_inspect"), which is not one of" "$work/copy.txt" ||
    fail "the copy of tarvexel-inspect does not say why: $(cat "$work/copy.txt")"
  run_profile '[a]' 'class=Alpha' 'exec=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  wait_until 5 is_front alpha || fail "the build's tarvexel could not activate alpha"
  "$inspect" windows --tsv | grep -q 'One' || fail "the build's tarvexel-inspect lists no alpha"
}

# What `cmake --install` puts in place on this system: extension.js links
# to the build this shell loads, the metadata lists this shell's version,
# and the installed programs are answered, the build's are not.
case_installed() {
  [[ -d ${TARVEXEL_BUILD:-} ]] || fail "TARVEXEL_BUILD names no build folder"
  cmake --install "$TARVEXEL_BUILD" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed: $(tail -n 5 "$work/install.log")"
  local folder major
  folder=$work/prefix/share/gnome-shell/extensions/tarvexel@tarvexel.org
  major=$(gnome-shell --version | sed -n 's/^GNOME Shell \([0-9]*\).*/\1/p')
  [[ $(readlink "$folder/extension.js") == "extension-$(basename "$(dirname \
    "$(gnome_extension_build)")").js" ]] ||
    fail "extension.js links to $(readlink "$folder/extension.js") on GNOME $major"
  grep -q "\"$major\"" "$folder/metadata.json" || fail "the metadata does not list GNOME $major"
  start_gnome --installed "$folder"
  start_window alpha --class Alpha --title One
  tarvexel=$(session_wrapper "$work/prefix/bin/tarvexel")
  run_profile '[a]' 'class=Alpha' 'mode=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  tarvexel=$(session_wrapper "$build_tarvexel")
  run_profile '[a]' 'class=Alpha' 'fired a' '[default]' 'fired default'
  expect_fired default
  expect_silent "by the build's tarvexel, refused by an installed extension"
}

# An extension from before BringHere, which a shell runs until the user
# logs in again after an upgrade: the call it does not know, and
# workspace=here activates the window where it is, as before, taking the
# user there; explain says to install the extension that came with the
# program. The older one is this build's without the method in its
# interface, which the bus then answers as unknown.
case_older_extension() {
  local older
  older=$work/older/$(basename "$(gnome_extension_build)")
  mkdir -p "$work/older"
  cp -r "$(gnome_extension_build)" "$older"
  sed -i "/windowMethod('BringHere'/d" "$older/extension.js"
  ! grep -q BringHere.*found "$older/extension.js" || fail "BringHere is still declared"
  start_workspaces --installed "$older"
  start_window alpha --class Alpha
  leave_window alpha
  run_profile "${here_rule[@]}"
  expect_fired a
  expect_silent "with an older extension"
  wait_until 5 workspace_is 1 || fail "alpha was not activated where it is"
  wait_until 5 is_front alpha || fail "alpha is not in front"
  explain_here
  grep -q 'workspace=here: the Tarvexel extension GNOME Shell runs is older' "$work/explain.txt" ||
    fail "explain does not say the extension is older: $(cat "$work/explain.txt")"
}

# The shell's process: the one gnome-shell in the session's namespace.
shell_pid() { pgrep --ns "$session_init" --nslist pid -x gnome-shell; }

# in_session_pid PID: what the process is called inside the session, where
# tarvexel runs.
in_session_pid() { awk '$1 == "NSpid:" { print $NF }' "/proc/$1/status"; }

# A shell that stops answering holds no run up: while the list is read,
# and between the list and a request. Without a bound on each call sd-bus
# would wait 25 seconds; the run's time-out is 10.
case_shell_hangs() {
  start_gnome
  start_window alpha --class Alpha
  local shell_process
  shell_process=$(shell_pid)
  [[ -n $shell_process ]] || fail "no gnome-shell process found"
  run_profile '[a]' 'class=Alpha' "execSync=kill|-STOP $(in_session_pid "$shell_process")" \
    'exec=close' 'exec=active' 'fired a' '[default]' 'fired default'
  expect_fired a
  expect_silent "when the shell stopped answering requests"
  run_profile '[a]' 'class=Alpha' 'fired a' '[default]' 'fired default'
  expect_fired default
  expect_silent "when the shell did not answer the list"
  kill -CONT "$shell_process"
}

# Binding a key: tarvexel-inspect bind, the key pressed as a user presses
# it (xdotool on X11, a virtual keyboard on Wayland), unbind. The user's
# configuration has a key and a comment of its own, which must survive.

# as_user COMMAND...: runs COMMAND as the desktop's user (a compositor's
# runs as nobody, at home in its folder).
as_user() {
  if is_x11; then
    "$@"
  else
    setpriv --reuid=65534 --regid=65534 --clear-groups env -u XDG_CONFIG_HOME HOME="$home" "$@"
  fi
}

# bind_run ARGUMENTS...: tarvexel-inspect with them; its status in status.
bind_run() {
  as_user "$inspect" "$@" >"$work/out" 2>"$work/err"
  status=$?
}

press_super() {
  if is_x11; then xdotool key "super+$1"; else wtype -M logo -k "$1" -m logo; fi
}

# runs_on_press KEY MARK: Super+KEY leaves the mark. A desktop told to read
# its configuration again binds the key a moment later: a press that comes
# too early is pressed again.
runs_on_press() {
  rm -f "$work/marks/$2"
  for _ in 1 2 3 4 5; do
    press_super "$1"
    wait_until 2 test -e "$work/marks/$2" && return 0
  done
  return 1
}

# The user's configuration and its key Super+U; $config names the file.
start_with_own_key() {
  local mine="touch $work/marks/user"
  case $system in
    openbox)
      export XDG_CONFIG_HOME=$work/xdg
      config=$XDG_CONFIG_HOME/openbox/rc.xml
      mkdir -p "${config%/*}"
      printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
        '<openbox_config xmlns="http://openbox.org/3.4/rc">' '<keyboard>' '  <!-- mine -->' \
        '  <keybind key="W-u">' "    <action name=\"Execute\"><command>$mine</command></action>" \
        '  </keybind>' '</keyboard>' '</openbox_config>' >"$config"
      ;;
    sway)
      sway_rule=$(printf '%s\n' '# mine' "bindsym Mod4+u exec $mine")
      config=$work/sway/.config/sway/config
      ;;
    labwc)
      labwc_keyboard="<keyboard><!-- mine --><keybind key=\"W-u\"><action name=\"Execute\" command=\"$mine\"/></keybind></keyboard>"
      config=$work/labwc/config/rc.xml
      ;;
  esac
  start_desktop
  cp "$config" "$work/config.before"
}

# Keys bound with tarvexel-inspect, in the desktop's configuration file
# (openbox, sway, labwc) or in its store on the session bus (GNOME, KWin).
case_bind_key() {
  case $system in
    gnome | kwin) bind_key_in_store ;;
    *) bind_key_in_config ;;
  esac
}

bind_key_in_config() {
  mkdir -m 777 "$work/marks"
  local desktop=$system config own=
  [[ $system != openbox ]] || desktop=Openbox
  [[ $system != sway ]] || own=$work/sway/.config/sway/tarvexel
  printf '[default]\nexecSync=touch|%s\n' "$work/marks/bound" >"$work/bound.ini"
  printf '[default]\nexecSync=touch|%s\n' "$work/marks/other" >"$work/other.ini"
  start_with_own_key
  bind_run bind Super+T "$work/bound.ini"
  [[ $status == 0 ]] || fail "bind Super+T: status $status: $(cat "$work/err")"
  runs_on_press t bound || fail "Super+T did not run the profile once bound"
  bind_run bind super+t "$work/other.ini"
  [[ $status == 1 ]] || fail "a second bind of Super+T: status $status, not 1"
  runs_on_press t bound || fail "after the refused bind Super+T no longer ran the first profile"
  bind_run bind Super+U "$work/bound.ini"
  [[ $status == 1 ]] || fail "binding the user's own Super+U: status $status, not 1"
  grep -q "marks/user" "$work/err" || fail "the refusal does not name the user's key: $(cat "$work/err")"
  bind_run bindings
  [[ $(cat "$work/out") == "Super+T"$'\t'"$work/bound.ini"$'\t'"$desktop" ]] ||
    fail "bindings listed: $(cat "$work/out" "$work/err")"
  runs_on_press u user || fail "the user's own Super+U no longer works"
  cmp -s "$config.tarvexel-backup" "$work/config.before" || fail "no backup of the user's file"
  if [[ $system == sway ]]; then
    grep -vxF "include ~/.config/sway/tarvexel" "$config" | cmp -s - "$work/config.before" ||
      fail "the user's sway config changed beyond the include line: $(diff "$work/config.before" "$config")"
  else
    grep -qF '<!-- mine -->' "$config" && grep -qF "key=\"W-u\"" "$config" ||
      fail "the user's comment or key is gone: $(cat "$config")"
  fi
  bind_run bind --replace Super+T "$work/other.ini"
  [[ $status == 0 ]] || fail "bind --replace Super+T: status $status: $(cat "$work/err")"
  runs_on_press t other || fail "Super+T did not run the profile that replaced the first"
  bind_run unbind Super+T
  [[ $status == 0 ]] || fail "unbind Super+T: status $status: $(cat "$work/err")"
  cmp -s "$config" "$work/config.before" ||
    fail "unbind left the user's file changed: $(diff "$work/config.before" "$config")"
  [[ -z $own || ! -e $own ]] || fail "unbind left Tarvexel's own file $own"
  [[ $system != sway ]] || ! swaymsg -q unbindsym Mod4+t 2>/dev/null ||
    fail "sway still had Super+T bound after unbind"
  [[ -f $config.tarvexel-backup ]] || fail "unbind took the backup away"
  bind_run bindings
  [[ $(cat "$work/out") == "No keys of Tarvexel's on $desktop." ]] ||
    fail "bindings after unbind: $(cat "$work/out" "$work/err")"
  bind_run unbind Super+T
  [[ $status == 1 ]] || fail "unbinding a key no longer bound: status $status, not 1"
}

declare -F "start_$system" >/dev/null || fail "no such system"
if [[ $case_name == --run ]]; then
  start_desktop
  # On GNOME, where the extension answers programs of the session only.
  if [[ $system == gnome ]]; then
    in_session "${@:3}"
  else
    "${@:3}"
  fi
  exit
fi
declare -F "case_$case_name" >/dev/null || fail "no such case"
"case_$case_name"
echo "PASS [$system.$case_name]"
