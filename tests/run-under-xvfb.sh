#!/usr/bin/env bash
# Runs a command with an X display of its own: starts Xvfb on the first free display number,
# exports DISPLAY, runs the command and stops the server again. Used for the tests that need a
# real window (the host window's screenshot) and by CI.
#   tests/run-under-xvfb.sh build/dev/bin/SkyletUITests --gtest_filter='OSWindowScreenshot*'
set -euo pipefail
if [ "$#" -eq 0 ]; then
    echo "usage: $0 command [arguments...]" >&2
    exit 2
fi
if ! command -v Xvfb > /dev/null; then
    echo "$0: Xvfb is not installed" >&2
    exit 1
fi
number=99
while [ -e "/tmp/.X11-unix/X${number}" ] || [ -e "/tmp/.X${number}-lock" ]; do
    number=$((number + 1))
done
Xvfb ":${number}" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
server=$!
trap 'kill "${server}" 2> /dev/null; wait "${server}" 2> /dev/null || true' EXIT
for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${number}" ] && break
    if ! kill -0 "${server}" 2> /dev/null; then
        echo "$0: Xvfb :${number} did not start" >&2
        exit 1
    fi
    sleep 0.05
done
export DISPLAY=":${number}"
"$@"
