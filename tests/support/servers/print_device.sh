#!/bin/sh
# The device behind the printing tests' queue: a backend of the print service, run by the
# service for each job. Its address names the folder it prints into ("kestaltest:/folder"):
# each job's document lands there whole as job-<id>.pdf (written beside, then renamed), or
# not at all. While the folder holds a file named "fail" the device fails every job, as a
# printer that reports an error does. While it holds a file named "silence" ("before PID" or
# "after PID") the device stops the print service (process PID) as a service that stops
# answering: before it prints a job (then it waits 10 s to be ended, and prints the job after
# all), or once it has printed it.
if [ $# -eq 0 ]; then
  # Asked which devices it serves.
  echo 'direct kestaltest "Unknown" "Kestal test device"'
  exit 0
fi
folder=${DEVICE_URI#kestaltest:}
if [ -e "$folder/fail" ]; then
  echo "ERROR: the test device fails job $1" >&2
  exit 1
fi
silence='' service=''
if [ -e "$folder/silence" ]; then read -r silence service <"$folder/silence"; fi
if [ "$silence" = before ]; then
  kill -STOP "$service"
  sleep 10
fi
part="$folder/.job-$1.part"
if [ $# -ge 6 ]; then cat -- "$6"; else cat; fi >"$part" && mv -f -- "$part" "$folder/job-$1.pdf"
status=$?
if [ "$silence" = after ]; then kill -STOP "$service"; fi
exit $status
