#!/usr/bin/env bash
# What the desktop-session scenarios share, sourced: the checks and their count, a program
# started as a desktop starts it, and its end awaited.
passed=0
failed=0
check() { # description, expected (a pattern; "?": not known yet, only reported), actual
  if [[ $2 == *"?"* ]]; then
    echo "SEEN $1: \"$3\""
  elif [[ $3 == $2 ]]; then
    passed=$((passed + 1))
  else
    echo "FAIL $1: expected \"$2\", saw \"$3\""
    failed=$((failed + 1))
  fi
}
# Starts a program from PROGRAM_DIR in the background, its stderr kept in ERR_FILE; sets pid.
# PROGRAM_DIR holds the built programs, or the installed menu entries, which start them as a
# desktop does (from the folder in Path=, with the command in Exec=). E2E_EMULATOR, where set
# (qemu-aarch64-static), starts programs built for another machine.
start_program() { # program dir, name, err file
  local entry
  entry=$(ls "$1"/*."$2".desktop 2>/dev/null)
  if [ -n "$entry" ]; then
    (cd "$(sed -n 's/^Path=//p' "$entry")" && exec $(sed -n 's/^Exec=//p' "$entry")) 2>"$3" &
  else
    (cd "$1" && exec ${E2E_EMULATOR:-} "./$2") 2>"$3" &
  fi
  pid=$!
}
# Sets status to the program's exit status once it has ended, within SECONDS; to "none" (and
# kills it) if it has not. Not in a subshell: only the shell that started it can wait for it.
await_exit() { # pid, seconds
  local _
  status=none
  for _ in $(seq $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || { wait "$1"; status=$?; return; }
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null
}
# The stderr of each program that wrote any, after a failed run.
show_errors() { # folder of *.err files
  local err
  for err in "$1"/*.err; do
    [ -s "$err" ] && { echo "$(basename "$err" .err) said:"; cat "$err"; }
  done
}
