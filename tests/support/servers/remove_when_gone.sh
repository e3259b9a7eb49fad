#!/bin/sh
# Removes a test program's private folder when the program has gone without removing it
# (killed, or crashed): usage remove_when_gone.sh FOLDER, with standard input connected to the
# program. The program says "pid N" when a process of its own works in the folder (its print
# service, which ends with the program), "pid 0" when that has ended, and "done" when it
# removed the folder itself. The end of input without "done" means the program is gone.
folder=$1
pid=0
while read -r word value; do
  case $word in
    pid) pid=$value ;;
    done) exit 0 ;;
  esac
done
# Whatever still works in the folder ends with the program: wait (at most 5 s) until it has.
waited=0
while [ "$pid" -gt 0 ] && [ "$waited" -lt 50 ] && [ -e "/proc/$pid" ] &&
  ! grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" 2>/dev/null; do
  sleep 0.1
  waited=$((waited + 1))
done
rm -rf -- "$folder"
