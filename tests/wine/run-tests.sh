#!/usr/bin/env bash
# The Windows program end to end under Wine: real windows, the real shell
# and real processes, on a virtual X display of its own.
#
#   run-tests.sh ARCH BUILD PREFIX WORK    run every case
#   run-tests.sh --missing REASON          report the tests as not runnable
#
# BUILD is a MinGW-w64 build tree (tarvexel.exe, tarvexel-inspect.exe, and
# the helper programs in tests/wine/), PREFIX the Wine prefix to use (made on first use), WORK a
# scratch folder for profiles and records. Exit status 77 means skipped;
# under CI a missing tool is a failure instead, as nothing may be skipped
# there. A kernel that cannot run 32-bit programs skips the i686 tests
# everywhere, CI included: that is the machine, not a missing install step.
# TARVEXEL_PRETEND_NO_32BIT=1 makes the check answer as such a kernel would.
set -uo pipefail

readonly kSkipped=77

skip() {
  echo "SKIPPED: $1"
  exit "$kSkipped"
}

cannot_run() {
  if [[ ${CI:-} == true ]]; then
    echo "FAILED: $1 (nothing may be skipped in CI)"
    exit 1
  fi
  skip "$1"
}

[[ $1 == --missing ]] && cannot_run "$2"

readonly arch=$1 build=$2 prefix=$3 work=$4
readonly tarvexel=$build/tarvexel.exe inspect=$build/tarvexel-inspect.exe
readonly helpers=$build/tests/wine

# Wine's loaders and server are called by their own names: /usr/bin/wine
# goes through the 32-bit loader whenever that is installed, so it fails on
# a kernel without 32-bit support even for a 64-bit program. The 64-bit
# server serves programs of both widths and makes the prefix for both.
readonly wine_dir=/usr/lib/wine
readonly wine64=$wine_dir/wine64 server=$wine_dir/wineserver64
case $arch in
  x86_64) readonly loader=$wine64 ;;
  i686) readonly loader=$wine_dir/wine ;;
  *) echo "FAILED: unknown architecture $arch"; exit 1 ;;
esac
for program in "$wine64" "$server" "$loader"; do
  [[ -x $program ]] || cannot_run "$program is missing (bash .ci/install installs Wine)"
done
for tool in Xvfb iconv makensis; do
  command -v "$tool" >/dev/null || cannot_run "$tool is not installed (bash .ci/install installs it)"
done
# Wine takes a Japanese system's code page from the host's locale.
locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' ||
  cannot_run "the ja_JP.UTF-8 locale is missing (bash .ci/install makes it with localedef)"

# The 32-bit loader is itself a 32-bit program: if it cannot start, no
# 32-bit program can.
if [[ $arch == i686 ]]; then
  if [[ ${TARVEXEL_PRETEND_NO_32BIT:-} == 1 ]]; then
    skip "this kernel cannot run 32-bit programs (pretended: TARVEXEL_PRETEND_NO_32BIT=1)"
  fi
  if ! refusal=$("$loader" --version 2>&1 >/dev/null); then
    [[ $refusal == *"Exec format error"* ]] ||
      cannot_run "$loader does not start: ${refusal:-no reason given}"
    skip "this kernel cannot run 32-bit programs ($refusal)"
  fi
fi

# --- The session: a display first, then Wine ------------------------------
# A wineserver that first starts without a display keeps a desktop without
# a driver, on which no window can ever be made; so the display comes first.

xvfb_pid=
stop_session() {
  # Only the wineserver of our own prefix, never one of the user's.
  if [[ ${WINEPREFIX:-} == "$prefix" ]]; then
    "$server" -k 2>/dev/null
    "$server" -w 2>/dev/null
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap stop_session EXIT
trap 'exit 1' INT TERM HUP

start_session() {
  rm -rf "$work"
  mkdir -p "$work" "$prefix"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
  done
  [[ -s $work/display ]] || { echo "FAILED: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(<"$work/display")
  export WINEPREFIX=$prefix WINESERVER=$server WINEDEBUG=-all LANG=C.UTF-8
  unset LC_ALL
  # Persistent, so that the desktop outlives the programs of each case.
  "$server" -p
  if [[ ! -f $prefix/system.reg ]]; then
    local started=$SECONDS
    # No offers to install .NET or Gecko: nothing here needs them.
    WINEDLLOVERRIDES='mscoree,mshtml=' "$wine64" wineboot -i >/dev/null 2>&1
    echo "made the Wine prefix in $((SECONDS - started)) s"
  fi
}

# --- Helpers ----------------------------------------------------------------

# The Windows form of a path: the whole Linux file system is drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

now_ms() { date +%s%3N; }

# Runs the program with COMMAND_LINE as its command line, exactly: Wine joins
# its arguments with single blanks, so the line is handed over in words.
# Sets `status`. A run still going after 20 s fails the case, naming the
# boxes on the desktop, since a box is what holds a run up.
run_tarvexel() {
  local IFS=' ' pid until=$((SECONDS + 20))
  set -f
  # shellcheck disable=SC2086
  "$loader" "$tarvexel" $1 &
  pid=$!
  set +f
  while kill -0 "$pid" 2>/dev/null && ((SECONDS < until)); do sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "the run was still going after 20 s; on the desktop: $(dialogs | tr '\n' ' ')"
    kill "$pid"
  fi
  wait "$pid"
  status=$?
}

records=0
# Puts the path of a fresh, empty record file for a helper into VAR.
new_record() {
  records=$((records + 1))
  printf -v "$1" '%s' "$work/record-$records.txt"
  : >"$work/record-$records.txt"
}

# Waits up to SECONDS for a whole line of FILE to match PATTERN.
wait_for_line() {  # FILE PATTERN SECONDS
  local file=$1 pattern=$2 seconds=$3
  local until=$((SECONDS + seconds))
  until grep -qx -- "$pattern" "$file" 2>/dev/null; do
    ((SECONDS < until)) || return 1
    sleep 0.05
  done
}

# Starts a helper window of class CLASS and title TITLE, behaving as
# BEHAVIOUR says (see helper_window.cpp), and waits until it is up; puts
# its record file into VAR.
start_window() {  # VAR CLASS TITLE [BEHAVIOUR]
  new_record "$1"
  local record=${!1}
  "$loader" "$helpers/helper_window.exe" "$(winpath "$record")" "$2" "$3" ${4:+"$4"} \
    >/dev/null 2>&1 &
  wait_for_line "$record" 'ready.*' 15 || fail "the helper window $2 did not come up"
}

# What probe.exe records, for the modes that look without waiting.
probe() {
  : >"$work/probe.txt"
  "$loader" "$helpers/probe.exe" "$(winpath "$work/probe.txt")" "$1"
  cat "$work/probe.txt"
}

# The title of the window in front.
front_title() { probe front | sed -n 's/^front //p'; }

# Waits up to 5 s for the window titled TITLE to be in front.
wait_for_front() {  # TITLE
  local until=$((SECONDS + 5))
  until [[ $(front_title) == "$1" ]]; do
    ((SECONDS < until)) || return 1
    sleep 0.05
  done
}

# Every dialog box on the desktop, one "dialog CAPTION: TEXT" per line.
dialogs() { probe dialogs; }

# The profile line that starts the recorder: LABEL into RECORD, then the
# optional pause and arguments.
recorder() { printf '%s|%s %s' "$(winpath "$helpers/recorder.exe")" "$(winpath "$1")" "${*:2}"; }

# The profile line that starts a helper window: RECORD, CLASS, TITLE and the
# optional behaviour, as start_window takes them.
window_command() {
  printf '%s|%s %s' "$(winpath "$helpers/helper_window.exe")" "$(winpath "$1")" "${*:2}"
}

# Runs the program as run_tarvexel does and fails the case unless the run
# ended within BOUND milliseconds, starting the program included.
run_within() {  # BOUND COMMAND_LINE WHAT
  local started took
  started=$(now_ms)
  run_tarvexel "$2"
  took=$(($(now_ms) - started))
  ((took < $1)) || fail "$3 held the run $took ms"
}

# The time the recorder wrote down for "LABEL start" or "LABEL end".
recorded_time() { sed -n "s/^$2 $3 //p" "$1"; }

failures=()
fail() { failures+=("$*"); }

expect_status() {
  [[ $status == "$1" ]] || fail "exit status $status, expected $1${2:+ ($2)}"
}

expect_lines() {  # FILE EXPECTED-CONTENTS WHAT
  local actual
  actual=$(<"$1")
  [[ $actual == "$2" ]] || fail "$3: got [${actual//$'\n'/ / }], expected [${2//$'\n'/ / }]"
}

# What was done to a helper window, leaving out its activations and answers.
window_events() { grep -vx -e activated -e answer "$1"; }

# Barriers before a look at what did not happen. Waits until no recorder
# runs, so that every program a run started has written all it will.
recorders_done() {
  "$loader" "$helpers/probe.exe" "$(winpath "$work/probe.txt")" gone recorder.exe 15000 ||
    fail "a recorder was still running after 15 s"
}

# Waits until the helper window of class CLASS, whose record is RECORD, has
# taken every message posted to it before now.
window_answers() {  # RECORD CLASS
  local before until=$((SECONDS + 10))
  before=$(grep -cx answer "$1")
  "$loader" "$helpers/probe.exe" "$(winpath "$work/probe.txt")" ask "$2" ||
    { fail "no window of class $2 to ask"; return; }
  until (($(grep -cx answer "$1") > before)); do
    ((SECONDS < until)) || { fail "the window of class $2 did not answer"; return; }
    sleep 0.05
  done
}

# Ends whatever a case left running, so the next one starts on an empty
# desktop.
clear_desktop() {
  "$wine64" taskkill /f /im helper_window.exe /im recorder.exe /im tarvexel.exe /im next.exe \
    /im minimize.exe /im notepad.exe >/dev/null 2>&1
}

# --- The cases ----------------------------------------------------------------

case_close_by_class() {
  local target bystander log profile=$work/close.ini after=$work/after-close.ini
  start_window target TvxTarget "Close me"
  start_window bystander TvxBystander "Target"
  new_record log
  # "class" names the class, never the title: the first rule must pass.
  # The window is gone before the next entry runs: the launcher started then
  # finds no window of the class.
  printf '%s\n' "[by title]" "class=Target" "exec=$(recorder "$log" wrong)" \
    "[by class]" "class=TvxTarget" "exec=close" \
    "execSync=$(winpath "$tarvexel")|$(winpath "$after")" \
    "[default]" "exec=$(recorder "$log" default)" >"$profile"
  printf '%s\n' "[still there]" "class=TvxTarget" "exec=$(recorder "$log" still-there)" \
    "[default]" "exec=$(recorder "$log" gone)" >"$after"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  expect_lines <(window_events "$target") $'ready\nclose' "the target window"
  window_answers "$bystander" TvxBystander
  expect_lines <(window_events "$bystander") ready "the other window"
  wait_for_line "$log" "gone start .*" 10 || fail "the window was still there for the next entry"
  recorders_done
  expect_lines <(cut -d' ' -f1-2 "$log") 'gone start' "programs started"
}

case_title_only_rule() {
  local window log profile=$work/title.ini
  start_window window TvxTitled "予定表 — 今日"
  new_record log
  # UTF-8 with a byte-order mark and Windows line ends, read under an
  # English locale. Part of the title is no match.
  {
    printf '\xef\xbb\xbf'
    printf '%s\r\n' "[part]" "title=予定表" "exec=$(recorder "$log" part)" \
      "[whole]" "title=予定表 — 今日" "exec=close" \
      "[default]" "exec=$(recorder "$log" default)"
  } >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  expect_lines <(window_events "$window") $'ready\nclose' "the window"
  recorders_done
  expect_lines "$log" "" "programs started"
}

case_active_mode() {
  local window cover log profile=$work/active.ini
  start_window window TvxActive "Active"
  new_record log
  printf '%s\n' "[in front]" "class=TvxActive" "mode=active" "exec=$(recorder "$log" rule)" \
    "[default]" "exec=$(recorder "$log" default)" >"$profile"
  [[ $(front_title) == Active ]] || fail "the window was not in front to begin with"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "in front"
  wait_for_line "$log" "rule start .*" 10 || fail "in front: the rule did not run"
  grep -q '^default' "$log" && fail "in front: the default section ran"

  : >"$log"
  start_window cover TvxCover "Cover"
  [[ $(front_title) == Cover ]] || fail "the covering window did not come to the front"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "behind"
  wait_for_line "$log" "default start .*" 10 || fail "behind: the default section did not run"
  grep -q '^rule' "$log" && fail "behind: the rule ran"
}

case_exec_active() {
  local behind front profile=$work/raise.ini
  start_window behind TvxBehind "Behind"
  start_window front TvxFront "Front"
  printf '%s\n' "[raise]" "class=TvxBehind" "exec=active" >"$profile"
  [[ $(front_title) == Front ]] || fail "the other window was not in front to begin with"
  : >"$behind"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  wait_for_line "$behind" activated 5 || fail "the window was not activated"
  [[ $(front_title) == Behind ]] || fail "the window did not come to the front"
  expect_lines <(window_events "$front") ready "the other window"
}

# Three windows of one class, another class among them: each run of a
# "next" profile brings forward the one lowest in the Z order, so three runs
# visit all three, the oldest first, and the fourth starts over.
case_next_cycles() {
  local one two three other log profile=$work/next.ini title
  start_window one TvxCycle One
  start_window other TvxOther Other
  start_window two TvxCycle Two
  start_window three TvxCycle Three
  new_record log
  printf '%s\n' "[cycle]" "class=TvxCycle" "exec=next" \
    "[default]" "exec=$(recorder "$log" default)" >"$profile"
  wait_for_front Three || fail "the last window was not in front to begin with"
  for title in One Two Three One; do
    run_tarvexel "$(winpath "$profile")"
    expect_status 0
    wait_for_front "$title" || { fail "next brought [$(front_title)] forward, not $title"; return; }
  done
  expect_lines <(window_events "$other") ready "the window of another class"
  expect_lines "$log" "" "programs started"
}

# FindWindowW ignores case, so "next" does too, as Windows compares names:
# code unit by code unit, never by language, so the soft hyphen in the
# lowest window's title (which a linguistic comparison passes over) makes
# it another title.
case_next_ignores_case() {
  local hyphen first second third title profile=$work/next-case.ini
  start_window hyphen TvxCase $'Ca\u00adse'
  start_window first TvxCase Case
  start_window second TVXCASE CASE
  start_window third tvxcase case
  printf '%s\n' "[cycle]" "class=tvxCase" "title=cAsE" "exec=next" >"$profile"
  wait_for_front case || fail "the last window was not in front to begin with"
  for title in Case CASE case; do
    run_tarvexel "$(winpath "$profile")"
    expect_status 0
    wait_for_front "$title" || { fail "next brought [$(front_title)] forward, not $title"; return; }
  done
  expect_lines <(window_events "$hyphen") ready "the window with the soft hyphen"
}

# "minimize" minimises the rule's window (IsIconic, as the window itself
# sees it); the window still fires its rule, and "active" restores it.
case_minimize_then_active() {
  local window cover profile=$work/minimize.ini
  start_window window TvxMinimize "Minimize me"
  start_window cover TvxCover "Cover"
  printf '%s\n' "[minimize]" "class=TvxMinimize" "exec=minimize" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "minimize"
  wait_for_line "$window" minimized 5 || fail "the window was not minimised"
  printf '%s\n' "[active]" "class=TvxMinimize" "exec=active" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "active"
  wait_for_line "$window" restored 5 || fail "active did not restore the window"
  wait_for_front "Minimize me" || fail "the restored window is not in front"
  expect_lines <(window_events "$cover") ready "the other window"
}

# Outside a rule both words are programs: the shell finds next.exe and
# minimize.exe in the current folder.
case_words_in_default() {
  local log folder=$work/words profile=$work/words.ini
  new_record log
  mkdir -p "$folder"
  cp "$helpers/recorder.exe" "$folder/next.exe"
  cp "$helpers/recorder.exe" "$folder/minimize.exe"
  printf '%s\n' "[default]" "exec=next|$(winpath "$log") next" \
    "exec=minimize|$(winpath "$log") minimize" >"$profile"
  pushd "$folder" >/dev/null || return
  run_tarvexel "$(winpath "$profile")"
  popd >/dev/null || return
  expect_status 0
  wait_for_line "$log" "next start .*" 10 || fail "exec=next did not start next.exe"
  wait_for_line "$log" "minimize start .*" 10 || fail "exec=minimize did not start minimize.exe"
}

case_exec_sync_waits() {
  local log profile=$work/sync.ini started finished
  new_record log
  printf '%s\n' "[default]" "execSync=$(recorder "$log" slow 1500)" \
    "exec=$(recorder "$log" next 0 '"two words"' 'a|b')" >"$profile"
  started=$(now_ms)
  run_tarvexel "$(winpath "$profile")"
  finished=$(now_ms)
  expect_status 0
  wait_for_line "$log" "next end .*" 10 || fail "the second program did not run"
  local slow_end next_start
  slow_end=$(recorded_time "$log" slow end)
  next_start=$(recorded_time "$log" next start)
  ((next_start >= slow_end)) || fail "the next entry ran before the first program ended"
  ((finished - started >= 1500)) || fail "the run took $((finished - started)) ms, less than the program"
  # Parameters are everything after the first "|", handed over as they are.
  expect_lines <(grep ' arg ' "$log") $'next arg two words\nnext arg a|b' "parameters"
}

case_exec_does_not_wait() {
  local log profile=$work/nowait.ini
  new_record log
  # The pause is timed from a program the run waited for to the next start.
  printf '%s\n' "[default]" "exec=$(recorder "$log" slow 4000)" "execSync=$(recorder "$log" mark 0)" \
    "sleep=500" "exec=$(recorder "$log" next)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  grep -q '^slow end' "$log" && fail "the run waited for a program started with exec"
  wait_for_line "$log" "slow end .*" 10 || fail "the first program did not end"
  local mark_end slow_end next_start
  mark_end=$(recorded_time "$log" mark end)
  slow_end=$(recorded_time "$log" slow end)
  next_start=$(recorded_time "$log" next start)
  [[ -n $next_start && -n $mark_end ]] || { fail "programs started: $(tr '\n' ' ' <"$log")"; return; }
  ((next_start - mark_end >= 500)) || fail "sleep=500 paused $((next_start - mark_end)) ms"
  ((next_start < slow_end)) || fail "the last program waited for the first"
}

# A launch that fails shows nothing and holds nothing up; the shell would
# show a modal error box of its own unless told not to.
case_failed_launch_goes_on() {
  local log profile=$work/failed.ini shown
  new_record log
  printf '%s\n' "[default]" 'exec=Z:\no such folder\nothing.exe' 'execSync=nothing-at-all.exe' \
    "exec=$(recorder "$log" after)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  shown=$(dialogs)
  [[ -z $shown ]] || fail "a box was shown: $shown"
  wait_for_line "$log" "after start .*" 10 || fail "the entry after the failed launches did not run"
}

case_notice() {
  local record pid
  new_record record
  timeout 20 "$loader" "$tarvexel" &
  pid=$!
  # The box answers from its message loop, so the run is held in it.
  "$loader" "$helpers/probe.exe" "$(winpath "$record")" read Tarvexel 15000 ||
    fail "no window captioned Tarvexel appeared and answered"
  expect_lines "$record" $'class #32770\ntext 設定画面が開く予定ですが、まだ作成中です。\nごめんなさいm(_ _)m' \
    "the notice"
  kill -0 "$pid" 2>/dev/null || fail "the program ended before the notice was dismissed"
  "$loader" "$helpers/probe.exe" "$(winpath "$record")" dismiss Tarvexel 1000
  wait "$pid"
  status=$?
  expect_status 0
}

case_exit_status_one() {
  local log profile=$work/no-default.ini
  new_record log
  run_tarvexel "$(winpath "$work/missing.ini")"
  expect_status 1 "a missing profile"
  mkdir -p "$work/folder.ini"
  run_tarvexel "$(winpath "$work/folder.ini")"
  expect_status 1 "a folder"
  printf '%s\n' "[rule]" "class=TvxNowhere" "exec=$(recorder "$log" rule)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 1 "no default"
  recorders_done
  expect_lines "$log" "" "programs started"
}

# Puts into VAR a profile path whose Windows form is LENGTH characters long,
# and writes there a profile that starts the recorder with LABEL.
deep_profile() {  # VAR LENGTH LOG LABEL
  local path=$work/deep$2/ room
  room=$(($2 - ${#path} - 8))  # 8: "Z:" and "/p.ini"
  while ((room > 41)); do
    path+=dddddddddddddddddddddddddddddddddddddddd/
    room=$((room - 41))
  done
  path+=$(printf '%*s' "$room" '' | tr ' ' e)/p.ini
  mkdir -p "$(dirname "$path")"
  printf '%s\n' "[default]" "exec=$(recorder "$3" "$4")" >"$path"
  printf -v "$1" '%s' "$path"
}

# A shortcut hands over the path as it is written: blanks stay, and so do
# quotes, which no file name holds; paths end at the system's limit.
case_profile_paths() {
  local log folder=$work/my profiles longest too_long outer=$work/outer.ini
  new_record log
  mkdir -p "$folder"
  printf '%s\n' "[default]" "exec=$(recorder "$log" blank)" >"$folder/blank.ini"
  printf '%s\n' "[default]" "exec=$(recorder "$log" quoted)" >"$folder/quoted.ini"
  run_tarvexel "$(winpath "$folder/blank.ini")"
  expect_status 0 "a path with a blank"
  wait_for_line "$log" "blank start .*" 10 || fail "the profile with a blank in its path did not run"
  # Wine would quote a quote on its own command line, but the shell hands
  # parameters over exactly: the program starts itself, once with the path
  # in quotes and once without.
  local inner
  inner=$(winpath "$tarvexel")
  printf '%s\n' "[default]" "execSync=$inner|\"$(winpath "$folder/quoted.ini")\"" \
    "execSync=$inner|$(winpath "$folder/quoted.ini")" >"$outer"
  run_tarvexel "$(winpath "$outer")"
  expect_status 0 "the profile that starts the program itself"
  wait_for_line "$log" "quoted start .*" 10 || fail "the program did not start itself"
  recorders_done
  (($(grep -c '^quoted' "$log") == 1)) || fail "a quoted path was opened"

  deep_profile longest 259 "$log" longest
  deep_profile too_long 260 "$log" too-long
  run_tarvexel "$(winpath "$longest")"
  expect_status 0 "a path of 259 characters"
  wait_for_line "$log" "longest start .*" 10 || fail "the profile at the longest path did not run"
  run_tarvexel "$(winpath "$too_long")"
  expect_status 1 "a path of 260 characters"
}

# COUNT bytes of comment lines, each ending in CR LF (COUNT at least 3).
comment_bytes() {  # COUNT
  local left=$1 length
  while ((left > 0)); do
    length=$((left >= 1003 ? 1000 : left))
    printf '#%s\r\n' "$(printf '%*s' $((length - 3)) '' | tr ' ' -)"
    left=$((left - length))
  done
}

# What tarvexel-inspect explain says of PROFILE, into OUT.
explain() {  # PROFILE OUT
  "$loader" "$inspect" explain "$(winpath "$1")" 2>/dev/null | tr -d '\r' >"$2"
}

# Starts a window titled Café and runs PROFILE, which should close it.
closes_cafe() {  # PROFILE WHAT
  local window
  start_window window TvxCafe Café
  run_tarvexel "$(winpath "$1")"
  expect_status 0 "$2"
  expect_lines <(window_events "$window") $'ready\nclose' "the window titled Café ($2)"
}

# Profiles as Notepad saves them. "ANSI" is the system's code page (under
# Wine the locale's character type sets it), not that of the user's formats. UTF-8 reads as UTF-8 under any locale, with a byte-order
# mark or without: also where a character's last byte is a lead byte in the
# Japanese code page (す, る and あ), and where the first block read, 64 KiB,
# ends inside a character.
case_code_pages() {
  local log lang=$LANG out=$work/code-pages.txt cut=$work/cut.ini plans
  new_record log
  # A line longer than the reader's block, which must end between characters.
  plans=$(printf '予定表%.0s' {1..100})
  printf '%s\r\n' "[default]" "exec=$(recorder "$log" 日本語 0 "$plans")" |
    iconv -f UTF-8 -t CP932 >"$work/sjis.ini"
  { printf '\xef\xbb\xbf'; printf '%s\n' "[default]" "exec=$(recorder "$log" ユニコード)"; } \
    >"$work/utf8.ini"
  printf '%s\r\n' \
    "# 設定を読み込みます" "[規則]" "title=どこにもない窓" \
    "exec=$(recorder "$log" 規則)" \
    "# 窓がある" "[他]" "class=TvxNowhere" "exec=$(recorder "$log" 他)" \
    "# 最後はあ" "[default]" "exec=$(recorder "$log" かな)" >"$work/kana.ini"
  export LANG=ja_JP.UTF-8
  run_tarvexel "$(winpath "$work/sjis.ini")"
  expect_status 0 "the Japanese code page"
  run_tarvexel "$(winpath "$work/utf8.ini")"
  expect_status 0 "UTF-8 under a Japanese locale"
  explain "$work/utf8.ini" "$out"
  grep -qx 'Encoding: UTF-8 (byte-order mark)' "$out" || fail "explain said: $(tr '\n' '|' <"$out")"
  run_tarvexel "$(winpath "$work/kana.ini")"
  expect_status 0 "UTF-8 without a mark under a Japanese locale"
  explain "$work/kana.ini" "$out"
  { grep -qx 'Encoding: UTF-8' "$out" &&
    grep -qx 'Loads: yes, 3 sections: \[規則\], \[他\], \[default\]' "$out"; } ||
    fail "explain of UTF-8 without a mark said: $(tr '\n' '|' <"$out")"
  export LANG=$lang
  wait_for_line "$log" "日本語 end .*" 10 || fail "the Japanese profile: $(tr '\n' ' ' <"$log")"
  grep -qx "日本語 arg $plans" "$log" || fail "the Japanese parameters: $(tr '\n' ' ' <"$log")"
  wait_for_line "$log" "ユニコード start .*" 10 || fail "the UTF-8 profile: $(tr '\n' ' ' <"$log")"
  wait_for_line "$log" "かな start .*" 10 || fail "the kana profile: $(tr '\n' ' ' <"$log")"

  printf '%s\r\n' "[café]" "title=Café" "exec=close" >"$work/cafe.ini"
  iconv -f UTF-8 -t CP1252 "$work/cafe.ini" >"$work/cafe-ansi.ini"
  # 7 bytes of header, comments, then "title=Caf" (9): the é begins at the
  # last byte of the first block read, 64 KiB.
  {
    printf '[cut]\r\n'
    comment_bytes $((65536 - 7 - 10))
    printf '%s\r\n' "title=Café" "exec=close"
  } >"$cut"
  closes_cafe "$work/cafe.ini" "UTF-8 without a mark"
  LANG=ja_JP.UTF-8 LC_CTYPE=C.UTF-8 closes_cafe "$work/cafe-ansi.ini" \
    "ANSI on a Western system, with Japanese formats"
  closes_cafe "$cut" "a character cut by the first block's end"
}

# The companion program lists the helper's window, in front, and names the
# rule that fires; explaining closes nothing.
case_inspect() {
  local window out=$work/inspect.txt profile=$work/inspect.ini
  start_window window TvxInspect "Inspect me"
  "$loader" "$inspect" windows 2>/dev/null | tr -d '\r' >"$out"
  grep -q '^Window system: Windows' "$out" || fail "windows began: $(head -n1 "$out")"
  grep -q '^\* .*"TvxInspect" *"Inspect me"$' "$out" ||
    fail "the window is not listed in front: $(tr '\n' '|' <"$out")"
  printf '%s\n' "[miss]" "class=TvxNowhere" "exec=close" \
    "[hit]" "class=TvxInspect" "exec=close" >"$profile"
  "$loader" "$inspect" explain "$(winpath "$profile")" 2>/dev/null | tr -d '\r' >"$out"
  status=${PIPESTATUS[0]}
  expect_status 0 "explain"
  grep -q '^Would run: \[hit\], against .*"TvxInspect", title "Inspect me"' "$out" ||
    fail "explain said: $(tr '\n' '|' <"$out")"
  grep -q '^  exec=close: asks .* to close' "$out" || fail "explain said: $(tr '\n' '|' <"$out")"
  window_answers "$window" TvxInspect
  expect_lines <(window_events "$window") ready "the window while explaining"
  # Read in the Japanese code page, as the launcher reads it; written as UTF-8.
  start_window window TvxJapanese "予定表"
  printf '%s\r\n' "[予定]" "title=予定表" "exec=active" | iconv -f UTF-8 -t CP932 >"$profile"
  LANG=ja_JP.UTF-8 explain "$profile" "$out"
  { grep -qx 'Encoding: ANSI code page 932' "$out" &&
    grep -q '^Would run: \[予定\], against .*title "予定表"' "$out"; } ||
    fail "explain in the Japanese code page said: $(tr '\n' '|' <"$out")"
  window_answers "$window" TvxJapanese
  expect_lines <(window_events "$window") ready "the window while explaining"
}

# Programs start shown, as Explorer starts them: a window that shows itself
# as it was started, with exec and with execSync, and Notepad, which the
# companion lists once it is shown.
case_started_programs_show() {
  local started waited profile=$work/show.ini until=$((SECONDS + 15))
  new_record started
  new_record waited
  printf '%s\n' "[default]" "execSync=$(window_command "$waited" TvxWaited Waited brief)" \
    "exec=$(window_command "$started" TvxStarted Started)" "exec=notepad" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0
  expect_lines <(window_events "$waited") $'ready\nclose' "the window started with execSync"
  wait_for_line "$started" 'ready.*' 10 || fail "the window started with exec did not come up"
  expect_lines <(window_events "$started") ready "the window started with exec"
  until "$loader" "$inspect" windows 2>/dev/null | grep -q '"Notepad"'; do
    ((SECONDS < until)) || { fail "Notepad's window was not shown"; return; }
    sleep 0.1
  done
}

# Rules see only shown windows, the one in front first: a program's hidden
# window neither fires a rule nor takes one from the window the user sees,
# and an always-on-top window of the class does not either.
case_hidden_windows() {
  local hidden shown newer pinned front log profile=$work/hidden.ini
  new_record log
  start_window hidden TvxHidden Helper hidden
  printf '%s\n' "[rule]" "class=TvxHidden" "exec=active" \
    "[default]" "exec=$(recorder "$log" default)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "a hidden window alone"
  wait_for_line "$log" "default start .*" 10 || fail "a hidden window alone: default did not run"

  start_window shown TvxDocument "Document - unsaved"
  start_window newer TvxDocument Helper hidden
  wait_for_front "Document - unsaved" || fail "the document was not in front to begin with"
  printf '%s\n' "[in front]" "class=TvxDocument" "mode=active" "exec=close" \
    "[default]" "exec=$(recorder "$log" not-in-front)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "a newer hidden window"
  expect_lines <(window_events "$shown") $'ready\nclose' "the shown document"
  expect_lines <(window_events "$newer") 'ready hidden' "the hidden window of its class"

  start_window pinned TvxPinned Pinned topmost
  start_window front TvxPinned Front
  wait_for_front Front || fail "the window below the pinned one was not in front"
  printf '%s\n' "[in front]" "class=TvxPinned" "mode=active" "exec=$(recorder "$log" pinned)" \
    "[default]" "exec=$(recorder "$log" not-in-front)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "an always-on-top window"
  recorders_done
  grep -q '^pinned start' "$log" || fail "an always-on-top window kept the rule from firing"
  grep -q '^not-in-front' "$log" && fail "the default section ran: $(tr '\n' ' ' <"$log")"
}

# A program that has stopped answering, or answers a close request with a
# question, costs a run about a second, and the section goes on; the
# question stays, with its window.
case_hung_and_asking_windows() {
  local hung asking log word profile=$work/hung.ini
  new_record log
  start_window hung TvxHung Hung hangs
  for word in active next minimize close; do
    printf '%s\n' "[hung]" "class=TvxHung" "exec=$word" "exec=$(recorder "$log" "$word")" >"$profile"
    run_within 4000 "$(winpath "$profile")" "$word on a hung window"
    expect_status 0 "$word on a hung window"
    wait_for_line "$log" "$word start .*" 10 || fail "the entry after $word on a hung window did not run"
  done
  start_window asking TvxAsking "Unsaved work" asks
  printf '%s\n' "[ask]" "class=TvxAsking" "exec=close" "exec=$(recorder "$log" asked)" >"$profile"
  run_within 4000 "$(winpath "$profile")" "closing a window that asks"
  expect_status 0 "closing a window that asks"
  wait_for_line "$log" "asked start .*" 10 || fail "the entry after closing a window that asks did not run"
  [[ $(dialogs) == *"dialog TvxQuestion: Save your work?"* ]] || fail "the question is gone: $(dialogs)"
  window_answers "$asking" TvxAsking
  expect_lines <(window_events "$asking") $'ready\nclose' "the window that asks"
}

# The installer cpack makes: /S installs the programs, the texts and the
# examples into Program Files (the 64-bit one for x86_64), a Start-menu
# folder, and an uninstaller registered with Windows; that uninstaller, /S
# too, removes all of it. Wine's menu builder, which would copy the
# shortcuts into the Linux desktop's menu, is kept out.
case_installer() {
  local made installer uninstaller log profile=$work/installed.ini until programs='Program Files'
  [[ $arch == i686 ]] && programs='Program Files (x86)'
  local folder=$prefix/drive_c/$programs/Tarvexel
  local menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarvexel"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvexel'
  made=$(cd "$build" && cpack -G NSIS 2>&1) || { fail "cpack -G NSIS: $made"; return; }
  installer=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$made")
  WINEDLLOVERRIDES=winemenubuilder.exe=d timeout 60 "$loader" "$installer" /S
  status=$?
  expect_status 0 "the installer"
  expect_lines <(cd "$folder" && find . -mindepth 1 | cut -c3- | sort) "$(
    cd "${BASH_SOURCE%/*}/../.." && printf '%s\n' tarvexel.exe tarvexel-inspect.exe README.txt \
      LICENSE.txt NEWS.txt Uninstall.exe examples examples/* | sort)" "installed in $programs"
  expect_lines <(ls "$menu") $'Examples.lnk\nREADME.lnk\nUninstall.lnk' "the Start-menu folder"
  grep -qaF "$programs\Tarvexel\README.txt" "$menu/README.lnk" ||
    fail "the README's shortcut does not name the installed README"
  uninstaller=$("$loader" reg query "$key" /v UninstallString | tr -d '\r' |
    sed -n 's/^ *UninstallString *REG_SZ *"\(.*\)"$/\1/p')
  [[ $uninstaller == "C:\\$programs\\Tarvexel\\Uninstall.exe" ]] ||
    fail "the uninstaller is registered as [$uninstaller]"

  new_record log
  printf '%s\n' "[default]" "exec=$(recorder "$log" installed)" >"$profile"
  timeout 20 "$loader" "$folder/tarvexel.exe" "$(winpath "$profile")"
  status=$?
  expect_status 0 "the installed program"
  wait_for_line "$log" "installed start .*" 10 || fail "the installed program did not run the profile"

  # The uninstaller starts a copy of itself in the temporary folder and
  # returns: the copy's work shows when the folder has gone, and it has
  # ended when no Au_.exe runs.
  WINEDLLOVERRIDES=winemenubuilder.exe=d "$loader" "${uninstaller:-$folder/Uninstall.exe}" /S
  until=$((SECONDS + 30))
  while [[ -e $folder ]] && ((SECONDS < until)); do sleep 0.05; done
  [[ -e $folder ]] && { fail "the uninstaller left $(cd "$folder" && find . | tr '\n' ' ')"; return; }
  "$loader" "$helpers/probe.exe" "$(winpath "$work/probe.txt")" gone Au_.exe 15000 ||
    fail "the uninstaller was still running after 15 s"
  [[ -e $menu ]] && fail "the uninstaller left the Start-menu folder"
  for key in "$key" 'HKLM\Software\The Tarvexel developers'; do
    "$loader" reg query "$key" >/dev/null 2>&1 && fail "the uninstaller left $key"
  done
}

# A key is the hot key of a shortcut in the Start menu, read back through
# the shell's own interface; Windows keeps Super for itself, a taken key is
# refused, and unbind leaves no shortcut.
case_bind_key() {
  local profile=$work/bound.ini out=$work/bind.txt record shortcut
  local programs="$prefix/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
  printf '%s\n' "[default]" "exec=notepad" >"$profile"
  bind_command() { "$loader" "$inspect" "$@" 2>&1 | tr -d '\r' >"$out"; status=${PIPESTATUS[0]}; }
  bind_command bind ctrl+alt+t "$(winpath "$profile")"
  expect_status 0 "bind ctrl+alt+t: $(<"$out")"
  shortcut="$programs/Tarvexel Ctrl+Alt+T.lnk"
  [[ -f $shortcut ]] || { fail "no shortcut in the Start menu: $(ls "$programs")"; return; }
  new_record record
  "$loader" "$helpers/probe.exe" "$(winpath "$record")" shortcut "$(winpath "$shortcut")" ||
    fail "the shell cannot read the shortcut"
  expect_lines "$record" "hotkey 0x0654"$'\n'"program $(winpath "$tarvexel")"$'\n'"arguments $(
    winpath "$profile")" "the shortcut"
  bind_command bind Super+Y "$(winpath "$profile")"
  expect_status 1 "bind Super+Y"
  grep -q 'only Ctrl, Alt and Shift: Ctrl+Alt+Y would work' "$out" || fail "Super+Y: $(<"$out")"
  bind_command bind Ctrl+Alt+T "$(winpath "$profile")"
  expect_status 1 "a second bind of the key"
  bind_command bindings
  expect_lines "$out" "Ctrl+Alt+T	$(winpath "$profile")	Windows" "bindings"
  bind_command unbind Ctrl+Alt+T
  expect_status 0 "unbind"
  [[ -e $shortcut ]] && fail "unbind left the shortcut"
  bind_command bindings
  expect_lines "$out" "No keys of Tarvexel's on Windows." "bindings after unbind"
}

# A title by part, compared as Windows compares titles: ignoring case, code
# unit by code unit; an unknown comparison never fires.
case_title_by_part() {
  local inbox outbox cover log profile=$work/part.ini
  start_window inbox TvxMail "Inbox - Mail"
  start_window outbox TvxMail "Outbox - Mail"
  start_window cover TvxCover Cover
  new_record log
  printf '%s\n' "[unknown]" "title=Outbox" "titleMatch=Prefix" "exec=$(recorder "$log" unknown)" \
    "[prefix]" "title=INBOX" "titleMatch=prefix" "exec=close" \
    "[default]" "exec=$(recorder "$log" default)" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  expect_status 0 "prefix"
  expect_lines <(window_events "$inbox") $'ready\nclose' "the window whose title starts so"
  printf '%s\n' "[suffix]" "title=- mail" "titleMatch=suffix" "exec=active" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  wait_for_front "Outbox - Mail" || fail "suffix: [$(front_title)] is in front"
  printf '%s\n' "[contains]" "title=TBOX -" "titleMatch=contains" "exec=minimize" >"$profile"
  run_tarvexel "$(winpath "$profile")"
  wait_for_line "$outbox" minimized 5 || fail "contains: the window was not minimised"
  recorders_done
  grep -q '^unknown' "$log" && fail "an unknown titleMatch fired"
  expect_lines <(window_events "$cover") ready "the other window"
}

cases=(
  close_by_class title_only_rule active_mode exec_active exec_sync_waits exec_does_not_wait
  failed_launch_goes_on notice exit_status_one profile_paths code_pages next_cycles
  next_ignores_case minimize_then_active words_in_default inspect started_programs_show
  hidden_windows hung_and_asking_windows installer bind_key title_by_part
)

# --- Run ---------------------------------------------------------------------

begun=$SECONDS
start_session
# A 32-bit program needs 32-bit Wine beside the 64-bit one.
if ! "$loader" "$helpers/probe.exe" "$(winpath "$work/check.txt")" front >"$work/check.out" 2>&1; then
  cannot_run "Wine cannot run the $arch build: $(tr '\n' ' ' <"$work/check.out")"
fi

passed=0 failed=0
for name in "${cases[@]}"; do
  failures=()
  started=$(now_ms)
  "case_$name"
  clear_desktop
  took=$(($(now_ms) - started))
  if ((${#failures[@]} == 0)); then
    passed=$((passed + 1))
    printf 'PASS %s (%d ms)\n' "$name" "$took"
  else
    failed=$((failed + 1))
    printf 'FAIL %s (%d ms)\n' "$name" "$took"
    printf '     %s\n' "${failures[@]}"
  fi
done
echo "$arch under Wine: $passed passed, $failed failed in $((SECONDS - begun)) s"
((failed == 0))
