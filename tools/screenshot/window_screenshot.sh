#!/bin/sh
# Saves a screenshot of the real main window under a virtual X display.
#
#   tools/screenshot/window_screenshot.sh OUTPUT.png [ROW | about]
#
# Builds nothing: it runs the tarvex-screenshot helper of an existing build.
# Set TARVEX_SCREENSHOT_BIN to choose the helper; otherwise the most recently
# built one under the repository's build folders is used.
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUTPUT.png [ROW | about]" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

bin=${TARVEX_SCREENSHOT_BIN:-}
if [ -z "$bin" ]; then
    bin=$(ls -t "$root"/build*/tools/screenshot/tarvex-screenshot 2>/dev/null | head -n 1 || true)
fi
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
    echo "$0: tarvex-screenshot not found; build it first (cmake --build <dir> --target tarvex-screenshot)" >&2
    exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "$0: xvfb-run is missing (Debian package xvfb)" >&2
    exit 1
fi

out=$1
case "$out" in
    /*) ;;
    *) out=$(pwd)/$out ;;
esac

QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" "$bin" "$out" ${2:+"$2"}
