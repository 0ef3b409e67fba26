#!/bin/sh
# step.sh <what> <log> <command>...: runs the command with its output in the log and says
# one line about it; when it fails, shows the end of the log and fails too.
set -u
what=$1
log=$2
shift 2
mkdir -p "$(dirname "$log")"
printf '%s ... ' "$what"
if "$@" >"$log" 2>&1; then
    echo "done (log: $log)"
else
    status=$?
    echo "failed (log: $log)"
    tail -40 "$log"
    exit $status
fi
