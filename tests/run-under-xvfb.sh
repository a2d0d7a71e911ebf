#!/usr/bin/env bash
# Runs a command with an X display of its own: starts Xvfb on a display number it picks itself
# (free at that moment, so runs side by side never share one), exports DISPLAY, runs the command
# and stops the server again. Used for the tests that need a real window (the host window's
# screenshot) and by CI.
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
numberFile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "${numberFile}" > /dev/null 2>&1 &
server=$!
trap 'kill "${server}" 2> /dev/null; wait "${server}" 2> /dev/null || true; rm -f "${numberFile}"' EXIT
# Xvfb writes the display number once it accepts connections.
for _ in $(seq 1 200); do
    [ -s "${numberFile}" ] && break
    if ! kill -0 "${server}" 2> /dev/null; then
        echo "$0: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.05
done
number=$(tr -d '[:space:]' < "${numberFile}")
if [ -z "${number}" ]; then
    echo "$0: Xvfb gave no display number" >&2
    exit 1
fi
export DISPLAY=":${number}"
"$@"
